#include "win32/failures_win32.h"

#include <atomic>
#include <exception>
#include <utility>

#include "win32/crash_report_win32.h"

namespace petariko {
namespace {

// The one piece of process-wide state: what the application does when it must end at once.
ErrorTrap& Trap() {
  static ErrorTrap trap;
  return trap;
}

// The GCC runtime's codes (throw, unwind, forced unwind) for C++ exceptions in flight.
bool IsCppException(DWORD code) { return (code & 0x20FFFFFF) == 0x20474343; }

// A fault in the program's own code (an access violation, say) is a bug whatever handler lies
// further up: the system may swallow an exception in a window procedure it called back (Wine
// always does), and the program would run on, broken. Other code may handle its own faults.
LONG CALLBACK OnFaultInProgram(EXCEPTION_POINTERS* exception) {
  const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
  constexpr DWORD kSeverityError = 0xC0000000;
  if ((record.ExceptionCode & kSeverityError) == kSeverityError && InProgram(record.ExceptionAddress)) {
    RunErrorTrap(exception);
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* exception) {
  // A C++ throw that nothing catches comes here first: let it go on to std::terminate, as the C
  // runtime's own filter (which this one replaces) does.
  if (IsCppException(exception->ExceptionRecord->ExceptionCode) && exception->ExceptionRecord->ExceptionFlags == 0) {
    return EXCEPTION_CONTINUE_EXECUTION;
  }
  RunErrorTrap(exception);
}

}  // namespace

void SetErrorTrap(ErrorTrap trap) {
  Trap() = std::move(trap);
  RecordThrowsOnThisThread();
  std::set_terminate([] { RunErrorTrap(); });
  SetUnhandledExceptionFilter(OnUnhandledException);
  static const bool added = AddVectoredExceptionHandler(1, OnFaultInProgram) != nullptr;
  (void)added;
}

void RunErrorTrap(EXCEPTION_POINTERS* structured) noexcept {
  // A failure inside the trap itself, or on another thread meanwhile, must not run it again.
  static std::atomic<bool> running{false};
  if (!running.exchange(true)) {
    try {
      const std::wstring folder = WriteCrashReport(structured);
      if (Trap()) Trap()(folder);
    } catch (...) {
    }
  }
  ExitProcess(1);
}

}  // namespace petariko
