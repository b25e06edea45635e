#include "win32/failures_win32.h"

#include <shellapi.h>

#include <atomic>
#include <exception>

#include "win32/crash_report_win32.h"

namespace petariko {
namespace {

// Room that a stack overflow leaves the trap on the user-interface thread.
constexpr ULONG kStackGuarantee = 64 * 1024;

// The trap's process-wide state: a vectored handler has no context of its own.
struct TrapState {
  DWORD ui_thread = 0;
  HANDLE single_instance = nullptr;
  TrapScreen screen;
  std::atomic<DWORD> trapping_thread{0};
  CONTEXT context{};  // where a trap without a structured exception was entered
};

TrapState& State() {
  static TrapState state;
  return state;
}

bool IsFatalAnywhere(DWORD code) { return code == kStatusHeapCorruption || code == STATUS_STACK_OVERFLOW; }

// A fault in the program's own code (an access violation, say) is a bug whatever handler lies
// further up: the system may swallow an exception in a window procedure it called back (Wine
// always does), and the program would run on, broken. Other code may handle its own faults,
// but not a stack overflow or heap corruption: the system ends the process after those without
// asking the unhandled-exception filter.
LONG CALLBACK OnFatalException(EXCEPTION_POINTERS* exception) {
  const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
  constexpr DWORD kSeverityError = 0xC0000000;
  if (IsFatalAnywhere(record.ExceptionCode) ||
      ((record.ExceptionCode & kSeverityError) == kSeverityError && InProgram(record.ExceptionAddress))) {
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

BOOL CALLBACK Disable(HWND window, LPARAM) {
  EnableWindow(window, FALSE);
  return TRUE;
}

// Before anything that may take long: the user gets the screen back, and nothing of a broken
// process can act on a click (write the settings, start a program, show the cut-out again).
void GiveBackScreen(const TrapState& state) {
  const TrapScreen& screen = state.screen;
  const bool on_ui_thread = GetCurrentThreadId() == state.ui_thread;
  if (screen.screen) {
    // From another thread without waiting: the user-interface thread may be the one stuck.
    on_ui_thread ? ShowWindow(screen.screen, SW_HIDE) : ShowWindowAsync(screen.screen, SW_HIDE);
  }
  if (screen.tray_receiver) {
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof(icon);
    icon.hWnd = screen.tray_receiver;
    icon.uID = screen.tray_id;
    Shell_NotifyIconW(NIM_DELETE, &icon);
  }
  // Elsewhere the windows would have to wait for the user-interface thread; they do nothing
  // of their own any more anyway (ErrorTrapRunning).
  if (on_ui_thread) EnumThreadWindows(state.ui_thread, Disable, 0);
  // The process only ends from here on (no destructor closes the handle again).
  if (state.single_instance) CloseHandle(state.single_instance);
}

}  // namespace

void PrepareErrorTrap(HANDLE single_instance) {
  TrapState& state = State();
  state.ui_thread = GetCurrentThreadId();
  state.single_instance = single_instance;
  ULONG guarantee = kStackGuarantee;
  SetThreadStackGuarantee(&guarantee);
  RecordThrowsOnThisThread();
  PrepareCrashReporter();
  std::set_terminate([] { RunErrorTrap(); });
  SetUnhandledExceptionFilter(OnUnhandledException);
  static const bool added = AddVectoredExceptionHandler(1, OnFatalException) != nullptr;
  (void)added;
}

void SetTrapScreen(const TrapScreen& screen) { State().screen = screen; }

bool ErrorTrapRunning() { return State().trapping_thread.load() != 0; }

void RunErrorTrap(EXCEPTION_POINTERS* structured) noexcept {
  TrapState& state = State();
  const DWORD self = GetCurrentThreadId();
  DWORD first = 0;
  if (!state.trapping_thread.compare_exchange_strong(first, self)) {
    // The trap failed itself, or the report could not be written: end now. Any other thread
    // waits for the running trap to end the process.
    if (first == self || OnReporterThread()) TerminateProcess(GetCurrentProcess(), 1);
    for (;;) Sleep(INFINITE);
  }
  GiveBackScreen(state);
  // What follows allocates nothing and loads nothing here: this thread's stack or the heap may
  // be what broke.
  CrashRequest request;
  request.thread_id = self;
  request.structured = structured;
  if (!structured) RtlCaptureContext(&state.context);
  request.context = structured ? structured->ContextRecord : &state.context;
  GetCurrentThreadStackLimits(&request.stack_low, &request.stack_high);
  request.exception = std::current_exception();
  ReportCrashAndEnd(request);
}

}  // namespace petariko
