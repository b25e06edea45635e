#pragma once

#include <string>

namespace petariko {

// Tells the user something in a message box with an OK button only and no icon.
class UserMessages {
 public:
  virtual ~UserMessages() = default;
  virtual void Show(const std::wstring& text, const std::wstring& title) = 0;
};

}  // namespace petariko
