// The error trap's report on disk: what failed, where, and a minidump, in a folder of the user's
// local application data, for the user to send. A thread made ready at start-up writes it, so
// that the faulting thread, on a stack that may be exhausted, only hands the failure over.
#pragma once

#include <windows.h>

#include <exception>

namespace petariko {

// The GCC runtime raises a C++ throw as this structured exception; its unwinding phases use the
// same code with 1 or 2 added to the top byte.
inline constexpr DWORD kCppThrowCode = 0x20474343;
inline bool IsCppException(DWORD code) { return (code & 0x20FFFFFF) == kCppThrowCode; }
// Raised by the system's heap when it finds itself corrupted.
inline constexpr DWORD kStatusHeapCorruption = 0xC0000374;

// The failure, as the faulting thread hands it over. It stays valid while that thread waits.
struct CrashRequest {
  DWORD thread_id = 0;
  EXCEPTION_POINTERS* structured = nullptr;  // a structured exception, or none
  const CONTEXT* context = nullptr;          // where the faulting thread stood
  ULONG_PTR stack_low = 0, stack_high = 0;   // its stack, the only memory a walk of it reads
  std::exception_ptr exception;              // the C++ exception being handled, if any
};

// From now on, remembers where each C++ exception thrown on the calling thread came from: by the
// time the trap catches one, the frames that threw it are gone.
void RecordThrowsOnThisThread();

// Whether `address` lies in petariko.exe's own image.
bool InProgram(const void* address);

// At start-up: the report's folder and the message naming it, and the thread that waits to write
// a report (it loads dbghelp only then).
void PrepareCrashReporter();
bool OnReporterThread();

// On the faulting thread: has the report and its minidump written, the message shown (with the
// folder when the report was saved), and ends the process.
[[noreturn]] void ReportCrashAndEnd(const CrashRequest& request) noexcept;

}  // namespace petariko
