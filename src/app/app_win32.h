// The resident application: owns the settings, the shared state and every window, and turns
// the hidden host window's messages (tray icon, popup menu, 100 ms timer) into calls on the
// logic. The host window plays Form1's hidden roles: tray receiver, timer and menu owner.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/trace_input_win32.h"
#include "core/settings_store.h"
#include "core/tray_retry.h"
#include "core/tray_win32.h"
#include "core/watcher.h"
#include "settings/settings_screen_host_win32.h"
#include "win32/cursor_win32.h"
#include "win32/handles_win32.h"

namespace petariko {

// Button state and cursor from the desktop, whichever window has the focus.
class DesktopInput : public InputPort {
 public:
  explicit DesktopInput(EscapeKey& escape) : escape_(escape) {}
  bool IsKeyDown(int virtual_key) override { return (GetAsyncKeyState(virtual_key) & 0x8000) != 0; }
  Point CursorPos() override { return CursorPosition(); }
  bool ButtonsSwapped() override { return GetSystemMetrics(SM_SWAPBUTTON) != 0; }
  bool IsOverOwnWindow(Point screen) override;
  bool IsMenuOpen() override;
  bool EscapePressed() override { return escape_.TakePress(); }

 private:
  EscapeKey& escape_;
};

class App : public SettingsScreenHost {
 public:
  App(HINSTANCE instance, std::wstring program_dir, SettingsStore settings);
  ~App() override;
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  // Hides everything, adds the tray icon and starts the watcher's timer. On the first start (the
  // settings file was just made) the icon says where the program is.
  void Start(bool first_start);
  // Opens PMENU at the cursor (from the tray icon or a right press on the cut-out).
  void ShowPopupMenu();

  // SettingsScreenHost
  SettingsStore& Settings() override { return settings_; }
  SharedState& Shared() override { return shared_; }
  bool WriteSettingsFile(HWND owner) override;
  void PutBackCutout() override;
  std::wstring ProgramDirectory() override { return program_dir_; }
  void RunAboutBox(HWND owner) override;

 private:
  enum MenuId : UINT { kMenuOption = 1, kMenuSave, kMenuDelete, kMenuEnd };

  LRESULT HandleHostMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void OnTick();
  void OnTrayNotify(UINT mouse_message);
  void OnMenuCommand(UINT id);
  void OnMenuOption();
  void OnMenuEnd();
  // The clean end: shape reset, icon removed, timers stopped, the host destroyed (the message
  // loop then ends).
  void EndProgram();
  UniqueIcon LoadTrayImage() const;
  void ReloadTrayImage();
  void ScheduleTrayRetry(bool added);

  HINSTANCE instance_;
  std::wstring program_dir_;
  SettingsStore settings_;
  SharedState shared_;

  HWND host_hwnd_ = nullptr;  // recorded at creation; host_ owns it
  UniqueWindow host_;
  UniqueIcon tray_image_;
  UniqueMenu menu_bar_;  // owns PMENU
  HMENU pmenu_ = nullptr;
  TrayIcon tray_;
  TrayRetry tray_retry_;
  UINT taskbar_created_message_ = 0;
  bool asking_to_quit_ = false;

  EscapeKey escape_;  // the frozen screen's, read by the watcher's input
  DesktopInput input_{escape_};
  struct Parts;  // the frozen-screen canvas, trace, gesture recognizer and cut-out
  std::unique_ptr<Parts> parts_;
  std::unique_ptr<Watcher> watcher_;
};

}  // namespace petariko
