// The program's message boxes: Japanese text, no icon, and in front of the frozen screen or
// cut-out, which are topmost windows themselves.
#pragma once

#include <windows.h>

#include <string>

namespace petariko {

// `buttons` is MB_OK or MB_YESNO (optionally with a default-button flag); returns IDOK/IDYES/IDNO.
inline int ShowMessageBox(HWND owner, const std::wstring& text, const wchar_t* title, UINT buttons = MB_OK) {
  return MessageBoxW(owner, text.c_str(), title, buttons | MB_SETFOREGROUND | MB_TOPMOST);
}

}  // namespace petariko
