// The program's one error policy. A checked Windows call that fails throws Win32Error, an
// ActionFailed: the user action it belongs to ends there, cleanly, and the program runs on.
// Anything else (a bug) reaches the one error trap, which writes a report, hides the program's
// windows, tells the user, removes the tray icon and ends the program.
#pragma once

#include <windows.h>

#include <functional>
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

// The result of a checked Windows call, or Win32Error when it failed (or a test build made it fail).
template <typename T>
T Check(T value, const char* operation) {
  if (InjectedFault(operation)) throw Win32Error(operation, ERROR_NOT_ENOUGH_MEMORY);
  if (!value) throw Win32Error(operation);
  return value;
}

// As Check, for a call whose success hands something over (a region to its window): a test
// build's fault comes before the call, so that nothing is owned twice.
template <typename Call>
auto CheckCall(const char* operation, Call&& call) {
  if (InjectedFault(operation)) throw Win32Error(operation, ERROR_NOT_ENOUGH_MEMORY);
  auto value = call();
  if (!value) throw Win32Error(operation);
  return value;
}

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

}  // namespace petariko
