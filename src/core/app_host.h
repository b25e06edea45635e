// What the windows opened from the tray menu need from the resident application.
#pragma once

#include <string>

#include "core/settings_store.h"

struct HWND__;  // the system's window handle, HWND; opaque to the portable code

namespace petariko {

// The cut-out window as the menu commands see it.
class CutoutControl {
 public:
  virtual ~CutoutControl() = default;
  // Remembers the window's position in intCutLeft/intCutTop and hides it, keeping its shape.
  virtual void HideForLater() = 0;
  // Shows the window again at (intCutLeft, intCutTop).
  virtual void PutBack() = 0;
  virtual void SaveFromMenu() = 0;   // "現在の切り取り窓を保存"
  virtual void EraseFromMenu() = 0;  // "現在の切り取り窓を消去"
};

// Services of the application that the settings screen uses.
class SettingsScreenHost {
 public:
  virtual ~SettingsScreenHost() = default;
  virtual SettingsStore& Settings() = 0;
  virtual SharedState& Shared() = 0;
  // Writes settei.txt from Settings() atomically. On failure it has already told the user in a
  // box owned by `owner` (title "エラー", naming the file) and the values stay in effect.
  virtual bool WriteSettingsFile(HWND__* owner) = 0;
  // Puts a hidden cut-out back when one exists (blnCutShown).
  virtual void PutBackCutout() = 0;
  // The directory of petariko.exe, without a trailing "\" unless it is a drive's root.
  virtual std::wstring ProgramDirectory() = 0;
  // Runs the about box, owned by `owner`, until the user closes it.
  virtual void RunAboutBox(HWND__* owner) = 0;
};

}  // namespace petariko
