// Windows the compositor must not animate.
#pragma once

#include <windows.h>
#include <dwmapi.h>

namespace petariko {

// The compositor fades and scales a window in and out: the frozen screen would first show as a
// fading copy of what it covers, and a finished cut-out would ease out where it should be gone.
// The library is loaded only for this one call; the window keeps the setting when it goes
// again, and the program's idle memory with it. Best effort: without it only the animation stays.
inline void TurnOffShowAndHideAnimation(HWND hwnd) {
  HMODULE dwm = LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!dwm) return;
  using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
  if (const auto set =
          reinterpret_cast<SetAttribute>(reinterpret_cast<void*>(GetProcAddress(dwm, "DwmSetWindowAttribute")))) {
    const BOOL disabled = TRUE;
    set(hwnd, DWMWA_TRANSITIONS_FORCEDISABLED, &disabled, sizeof(disabled));
  }
  FreeLibrary(dwm);
}

}  // namespace petariko
