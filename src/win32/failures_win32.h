// The program's one error policy. A checked Windows call that fails throws Win32Error, an
// ActionFailed: the user action it belongs to ends there, cleanly, and the program runs on.
// Anything else (a bug) reaches the one error trap, which gives the screen back, has its report
// written, tells the user and ends the program.
#pragma once

#include <windows.h>

#include <string>

#include "core/action_failed.h"
#include "win32/fault_injection_win32.h"

namespace petariko {

// A failed window or drawing operation with the system's error number. The action it belongs
// to ends; where nothing catches it, the error trap reports it.
class Win32Error : public ActionFailed {
 public:
  explicit Win32Error(const char* operation, DWORD error = GetLastError())
      : ActionFailed(std::string(operation) + " failed (" + std::to_string(error) + ")"),
        operation_(operation),
        error_(error) {}
  const char* operation() const { return operation_; }
  DWORD error() const { return error_; }

 private:
  const char* operation_;
  DWORD error_;
};

// The result of `call`, or Win32Error when it failed. A test build refuses the call before
// making it, so that nothing it would hand out leaks and the error is the injected one.
template <typename Call>
auto CheckCall(const char* operation, Call&& call) {
  if (InjectedFault(operation)) throw Win32Error(operation, ERROR_NOT_ENOUGH_MEMORY);
  auto value = call();
  if (!value) throw Win32Error(operation);
  return value;
}

// Check(CreateFontIndirectW(&lf), "CreateFontIndirectW"): CheckCall with the call written in
// place. A macro, because a function would receive the call's result, not the call.
#define Check(call, operation) ::petariko::CheckCall((operation), [&] { return (call); })

// What the error trap hides and removes before anything else. Plain handles, so that the trap
// depends on no object of the program.
struct TrapScreen {
  HWND screen = nullptr;         // the frozen screen or the cut-out
  HWND tray_receiver = nullptr;  // with tray_id, the notification-area icon
  UINT tray_id = 0;
};

// Made ready on the user-interface thread at start-up, before the first window: the report's
// folder, the thread that writes the report, the stack kept for a stack overflow, and the
// single-instance mutex, which the trap lets go with the screen so that the user can start the
// program again at once, however long the report takes. From
// then on the trap takes a C++ exception that nothing catches, a structured exception (an access
// violation, say) raised in the program's own code, a stack overflow or heap corruption
// wherever raised, and any exception that nothing handles.
void PrepareErrorTrap(HANDLE single_instance);
// Set by the application once its windows exist; TrapScreen{} when they go.
void SetTrapScreen(const TrapScreen& screen);
// True once the trap has begun: the program's window procedures then do nothing of their own.
bool ErrorTrapRunning();
// The trap, for the failure being handled (the current C++ exception, or `structured`): hides
// the frozen screen or cut-out, removes the tray icon, disables every window, has the report
// written, shows the message and ends the process.
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

}  // namespace petariko
