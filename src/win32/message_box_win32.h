// The program's message boxes: Japanese text, no icon, and in front of the frozen screen or
// cut-out, which are topmost windows themselves.
#pragma once

#include <windows.h>

#include <string>

#include "core/user_messages.h"

namespace petariko {

// `buttons` is MB_OK or MB_YESNO (optionally with a default-button flag); returns IDOK/IDYES/IDNO.
inline int ShowMessageBox(HWND owner, const std::wstring& text, const wchar_t* title, UINT buttons = MB_OK) {
  return MessageBoxW(owner, text.c_str(), title, buttons | MB_SETFOREGROUND | MB_TOPMOST);
}

// The logic's plain messages, with an OK button only.
class MessageBoxMessages : public UserMessages {
 public:
  // `owner` takes no input while a message is up.
  explicit MessageBoxMessages(HWND owner) : owner_(owner) {}
  void Show(const std::wstring& text, const std::wstring& title) override {
    ShowMessageBox(owner_, text, title.c_str(), MB_OK);
  }

 private:
  HWND owner_;
};

}  // namespace petariko
