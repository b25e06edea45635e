#include "core/tray_win32.h"

#include <cwchar>
#include <iterator>

namespace petariko {

void TrayIcon::AddTrayIcon(HWND receiver, HICON icon, const wchar_t* tip) {
  nidTray_ = {};
  nidTray_.cbSize = sizeof(nidTray_);
  nidTray_.hWnd = receiver;
  nidTray_.uID = 1;
  nidTray_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  nidTray_.uCallbackMessage = kTrayCallbackMessage;
  nidTray_.hIcon = icon;
  wcsncpy(nidTray_.szTip, tip, std::size(nidTray_.szTip) - 1);
  added_ = true;
  Shell_NotifyIconW(NIM_ADD, &nidTray_);
}

void TrayIcon::Readd() {
  if (added_) Shell_NotifyIconW(NIM_ADD, &nidTray_);
}

void TrayIcon::DeleteTrayIcon() {
  if (!added_) return;
  added_ = false;
  Shell_NotifyIconW(NIM_DELETE, &nidTray_);
}

}  // namespace petariko
