// The notification-area icon (Module1's AddTrayIcon / DeleteTrayIcon).
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace petariko {

// The tray icon's notifications arrive at the receiver window as this message, with the
// mouse message (WM_LBUTTONDOWN, ...) in the low word of lParam.
inline constexpr UINT kTrayCallbackMessage = WM_APP + 1;
// The program's one icon, among those of its receiver window.
inline constexpr UINT kTrayIconId = 1;

class TrayIcon {
 public:
  TrayIcon() = default;
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;
  ~TrayIcon() { DeleteTrayIcon(); }

  // Keeps the record, so that the same identity changes and removes the icon, and adds it.
  // False when the notification area refused it (at sign-in it may not be ready yet).
  bool AddTrayIcon(HWND receiver, HICON icon, const wchar_t* tip);
  // Adds the icon again with the kept record: after a refusal, or after the task bar was
  // re-created. An icon that is already there is only updated, so there are never two.
  bool Readd();
  // Shows another image (the size for a new DPI); the caller frees the old one afterwards.
  void SetImage(HICON icon);
  // Shows a notification from the icon once: now if the icon is there, else with the add that
  // puts it there.
  void Notify(const wchar_t* title, const wchar_t* text);
  void DeleteTrayIcon();

 private:
  NOTIFYICONDATAW nidTray_{};
  bool added_ = false;
  bool shown_ = false;  // the last add or update reached the notification area
};

}  // namespace petariko
