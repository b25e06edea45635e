// The settings the program keeps for its whole run, and the state every window shares.
#pragma once

#include <array>
#include <string>

namespace petariko {

inline constexpr int kEntryCount = 30;

// Virtual-key codes of the mouse buttons, as stored in the settings file.
inline constexpr int kButtonUnused = 0;
inline constexpr int kButtonLeft = 1;
inline constexpr int kButtonRight = 2;
inline constexpr int kButtonMiddle = 4;

// Persisted in settei.txt.
struct SettingsStore {
  int lngCutButton = 0;
  int lngGestureButton = 0;
  int intWaitTime = 0;  // hold time in 100 ms ticks; must fit 16 bits
  std::array<std::wstring, kEntryCount> strProgram;
  std::array<std::wstring, kEntryCount> strGesture;

  friend bool operator==(const SettingsStore&, const SettingsStore&) = default;
};

// Run-time state shared by the tray, the watcher, the cut-out and the settings screen.
struct SharedState {
  bool blnCutShown = false;  // a cut-out exists (shown, or hidden for a menu action)
  bool blnBusy = false;      // settings screen open or a save in progress
  // Where a hidden cut-out goes back to, in screen pixels (32-bit: large desktops fit).
  int intCutLeft = 0;
  int intCutTop = 0;
};

}  // namespace petariko
