// Messages a window of this program accepts from programs of a lower integrity level.
#pragma once

#include <windows.h>

#include <initializer_list>

namespace petariko {

// Run as administrator, the program would hear nothing from Explorer, which runs at medium
// integrity: not its restart, not a drop. Each message is let through to `hwnd` alone. Best
// effort: a refused call costs only that case of an elevated start, never the window, so its
// result is not checked.
inline void AcceptFromLowerIntegrity(HWND hwnd, std::initializer_list<UINT> messages) {
  for (const UINT message : messages) {
    if (message != 0) ChangeWindowMessageFilterEx(hwnd, message, MSGFLT_ALLOW, nullptr);
  }
}

}  // namespace petariko
