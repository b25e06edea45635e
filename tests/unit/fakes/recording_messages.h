#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/user_messages.h"

namespace petariko {

// Records every message box as (text, title); `on_show` lets a test look at state meanwhile.
class RecordingMessages : public UserMessages {
 public:
  std::vector<std::pair<std::wstring, std::wstring>> shown;
  std::function<void()> on_show;

  void Show(const std::wstring& text, const std::wstring& title) override {
    shown.emplace_back(text, title);
    if (on_show) on_show();
  }
};

}  // namespace petariko
