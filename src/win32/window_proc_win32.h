// The one way a window procedure reaches the program's code: nothing may unwind through the
// system's code, so every failure that no action caught goes to the one error trap.
#pragma once

#include <windows.h>

#include "win32/failures_win32.h"

namespace petariko {

// The window procedure of a class whose windows each belong to one T, passed as the creation
// parameter: WM_NCCREATE records the window in T's `Window` member, and every message from
// then on, WM_NCDESTROY included, goes to T's `Handle`. Once the error trap has begun, no
// message reaches the program: a broken process must not act on what the user does meanwhile.
template <typename T, HWND T::*Window, LRESULT (T::*Handle)(UINT, WPARAM, LPARAM)>
LRESULT CALLBACK MemberWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->*Window = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self || ErrorTrapRunning()) return DefWindowProcW(hwnd, message, wparam, lparam);
  return Guarded([&] { return (self->*Handle)(message, wparam, lparam); });
}

}  // namespace petariko
