// The one way a window procedure reaches the program's code: nothing may unwind through the
// system's code, so every unexpected failure goes to the one error trap, which writes a report,
// hides the program's windows, tells the user, removes the tray icon and ends the program.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace petariko {

// What the application does before the program ends: it is handed the folder that holds the
// report, or "" when none could be written.
using ErrorTrap = std::function<void(const std::wstring& report_folder)>;

// Set once by the application, on its user-interface thread, before its first window exists.
// From then on the trap also takes a C++ exception that nothing catches, a structured exception
// (an access violation, say) raised in the program's own code, and one that nothing handles.
void SetErrorTrap(ErrorTrap trap);
// Writes the report of the failure being handled (the current exception, or `structured`) and
// runs the trap; ends the process even when no trap is set or the trap returns.
[[noreturn]] void RunErrorTrap(EXCEPTION_POINTERS* structured = nullptr) noexcept;

// Calls `body` and hands any exception to the error trap.
template <typename Body>
LRESULT Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    RunErrorTrap();
  }
}

// The window procedure of a class whose windows each belong to one T, passed as the creation
// parameter: WM_NCCREATE records the window in T's `Window` member, and every message from
// then on, WM_NCDESTROY included, goes to T's `Handle`.
template <typename T, HWND T::*Window, LRESULT (T::*Handle)(UINT, WPARAM, LPARAM)>
LRESULT CALLBACK MemberWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->*Window = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wparam, lparam);
  return Guarded([&] { return (self->*Handle)(message, wparam, lparam); });
}

}  // namespace petariko
