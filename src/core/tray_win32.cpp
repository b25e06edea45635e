#include "core/tray_win32.h"

#include <cwchar>
#include <iterator>

namespace petariko {

bool TrayIcon::AddTrayIcon(HWND receiver, HICON icon, const wchar_t* tip) {
  nidTray_ = {};
  nidTray_.cbSize = sizeof(nidTray_);
  nidTray_.hWnd = receiver;
  nidTray_.uID = 1;
  nidTray_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  nidTray_.uCallbackMessage = kTrayCallbackMessage;
  nidTray_.hIcon = icon;
  wcsncpy(nidTray_.szTip, tip, std::size(nidTray_.szTip) - 1);
  added_ = true;
  return Readd();
}

bool TrayIcon::Readd() {
  if (!added_) return false;
  // An add that timed out may still have put the icon there: then only update it.
  return Shell_NotifyIconW(NIM_MODIFY, &nidTray_) || Shell_NotifyIconW(NIM_ADD, &nidTray_);
}

void TrayIcon::SetImage(HICON icon) {
  nidTray_.hIcon = icon;
  if (added_) Shell_NotifyIconW(NIM_MODIFY, &nidTray_);
}

void TrayIcon::DeleteTrayIcon() {
  if (!added_) return;
  added_ = false;
  Shell_NotifyIconW(NIM_DELETE, &nidTray_);
}

}  // namespace petariko
