// What the settings screen needs from the resident application.
#pragma once

#include <windows.h>

#include <string>

#include "core/settings_store.h"

namespace petariko {

// Services of the application that the settings screen uses.
class SettingsScreenHost {
 public:
  virtual ~SettingsScreenHost() = default;
  virtual SettingsStore& Settings() = 0;
  virtual SharedState& Shared() = 0;
  // Writes settei.txt from Settings() atomically. On failure it has already told the user in a
  // box owned by `owner` (title "エラー", naming the file) and the values stay in effect.
  virtual bool WriteSettingsFile(HWND owner) = 0;
  // Puts a hidden cut-out back when one exists (blnCutShown).
  virtual void PutBackCutout() = 0;
  // The directory of petariko.exe, without a trailing "\" unless it is a drive's root.
  virtual std::wstring ProgramDirectory() = 0;
  // Runs the about box, owned by `owner`, until the user closes it.
  virtual void RunAboutBox(HWND owner) = 0;
};

}  // namespace petariko
