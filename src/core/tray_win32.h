// The notification-area icon (Module1's AddTrayIcon / DeleteTrayIcon).
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace petariko {

// The tray icon's notifications arrive at the receiver window as this message, with the
// mouse message (WM_LBUTTONDOWN, ...) in the low word of lParam.
inline constexpr UINT kTrayCallbackMessage = WM_APP + 1;

class TrayIcon {
 public:
  TrayIcon() = default;
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;
  ~TrayIcon() { DeleteTrayIcon(); }

  // Adds the icon; the record is kept so that the same identity removes it. Failure is ignored:
  // the program runs on without an icon.
  void AddTrayIcon(HWND receiver, HICON icon, const wchar_t* tip);
  // Adds it again after the shell restarted (the record is unchanged).
  void Readd();
  void DeleteTrayIcon();

 private:
  NOTIFYICONDATAW nidTray_{};
  bool added_ = false;
};

}  // namespace petariko
