#include "core/tray_win32.h"

#include <cwchar>
#include <iterator>

namespace petariko {

bool TrayIcon::AddTrayIcon(HWND receiver, HICON icon, const wchar_t* tip) {
  nidTray_ = {};
  nidTray_.cbSize = sizeof(nidTray_);
  nidTray_.hWnd = receiver;
  nidTray_.uID = kTrayIconId;
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
  shown_ = Shell_NotifyIconW(NIM_MODIFY, &nidTray_) || Shell_NotifyIconW(NIM_ADD, &nidTray_);
  // A notification has gone out with it: later updates do not repeat it.
  if (shown_) nidTray_.uFlags &= ~NIF_INFO;
  return shown_;
}

void TrayIcon::SetImage(HICON icon) {
  nidTray_.hIcon = icon;
  // An icon not there yet gets the image with the retried add (and a waiting notification too).
  if (shown_) Shell_NotifyIconW(NIM_MODIFY, &nidTray_);
}

void TrayIcon::Notify(const wchar_t* title, const wchar_t* text) {
  if (!added_) return;
  nidTray_.uFlags |= NIF_INFO;
  wcsncpy(nidTray_.szInfoTitle, title, std::size(nidTray_.szInfoTitle) - 1);
  wcsncpy(nidTray_.szInfo, text, std::size(nidTray_.szInfo) - 1);
  nidTray_.dwInfoFlags = NIIF_INFO;
  if (shown_) Readd();
}

void TrayIcon::DeleteTrayIcon() {
  if (!added_) return;
  added_ = shown_ = false;
  Shell_NotifyIconW(NIM_DELETE, &nidTray_);
}

}  // namespace petariko
