#include "win32/crash_report_win32.h"

#include <cxxabi.h>
#include <dbghelp.h>
#include <shlobj.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

#include "core/crash_report.h"
#include "core/ui_strings.h"
#include "petariko_version.h"
#include "win32/failures_win32.h"
#include "win32/handles_win32.h"
#include "win32/message_box_win32.h"

namespace petariko {
namespace {

constexpr USHORT kMaxFrames = 48;
// A reporter that has not written the report by then is stuck (on a lock the failure left
// taken, say); the process must still end, or it would stay without an icon. (The next start is
// not held off meanwhile: the trap let the single-instance mutex go.) Wine's dbghelp can take half
// a minute over a minidump.
constexpr DWORD kReportTimeoutMs = 180000;

// Where the latest C++ throw on the recorded thread came from. Process-wide because a vectored
// handler has no context of its own.
struct ThrowRecord {
  DWORD thread = 0;
  std::uint64_t address = 0;
  USHORT count = 0;
  void* frames[kMaxFrames] = {};
};

ThrowRecord& LastThrow() {
  static ThrowRecord record;
  return record;
}

LONG CALLBACK RecordThrow(EXCEPTION_POINTERS* exception) {
  ThrowRecord& record = LastThrow();
  if (exception->ExceptionRecord->ExceptionCode == kCppThrowCode && GetCurrentThreadId() == record.thread) {
    record.address = reinterpret_cast<std::uint64_t>(exception->ExceptionRecord->ExceptionAddress);
    record.count = RtlCaptureStackBackTrace(0, kMaxFrames, record.frames, nullptr);
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

// What start-up made ready, and the one request the faulting thread hands over.
struct Reporter {
  std::wstring folder;         // made when a report is written
  std::wstring message_saved;  // the two lines, and where the report is
  std::wstring message_unsaved;
  std::atomic<bool> saved{false};   // the report is on disk, with or without its minidump
  std::atomic<bool> ending{false};  // one thread, the reporter or the faulting one, ends the process
  HANDLE wake = nullptr;
  HANDLE written = nullptr;
  DWORD thread_id = 0;
  const CrashRequest* request = nullptr;
};

Reporter& TheReporter() {
  static Reporter reporter;
  return reporter;
}

struct Image {
  std::uint64_t base;
  std::uint64_t size;
};

Image ProgramImage() {
  const auto* image = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
  const auto* headers =
      reinterpret_cast<const IMAGE_NT_HEADERS*>(image + reinterpret_cast<const IMAGE_DOS_HEADER*>(image)->e_lfanew);
  return {reinterpret_cast<std::uint64_t>(image), headers->OptionalHeader.SizeOfImage};
}

std::vector<std::uint64_t> Frames(void* const* frames, USHORT count) {
  std::vector<std::uint64_t> out;
  for (USHORT i = 0; i < count; ++i) out.push_back(reinterpret_cast<std::uint64_t>(frames[i]));
  return out;
}

// The faulting thread's stack, walked from where it stood by the unwind tables, reading nothing
// outside its stack.
std::vector<std::uint64_t> FramesFrom(const CrashRequest& request) {
  std::vector<std::uint64_t> frames;
  CONTEXT context = *request.context;
  while (frames.size() < kMaxFrames && context.Rip != 0) {
    frames.push_back(context.Rip);
    if (context.Rsp < request.stack_low || context.Rsp + sizeof(DWORD64) > request.stack_high) break;
    DWORD64 image_base = 0;
    if (PRUNTIME_FUNCTION function = RtlLookupFunctionEntry(context.Rip, &image_base, nullptr)) {
      void* handler_data = nullptr;
      DWORD64 establisher = 0;
      RtlVirtualUnwind(UNW_FLAG_NHANDLER, image_base, context.Rip, function, &context, &handler_data, &establisher,
                       nullptr);
    } else {
      // A leaf function: the return address is on top of the stack.
      context.Rip = *reinterpret_cast<const DWORD64*>(context.Rsp);
      context.Rsp += sizeof(DWORD64);
    }
  }
  return frames;
}

std::string Utf8(std::wstring_view text) {
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), length, out.data(), size, nullptr, nullptr);
  return out;
}

// The system's text for an error number, in the user's language, on one line.
std::string ErrorText(DWORD error) {
  wchar_t buffer[512];
  DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                     nullptr, error, 0, buffer, 512, nullptr);
  while (length > 0 && (buffer[length - 1] == L' ' || buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n')) {
    --length;
  }
  return Utf8({buffer, length});
}

std::string TypeName(const std::type_info& type) {
  int status = 0;
  char* readable = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
  std::string name = readable ? readable : type.name();
  std::free(readable);
  return name;
}

void DescribeException(const std::exception_ptr& exception, CrashFacts& facts) {
  if (!exception) return;
  try {
    std::rethrow_exception(exception);
  } catch (const Win32Error& e) {
    facts.operation = e.operation();
    facts.error = e.error();
    facts.error_text = ErrorText(e.error());
  } catch (const std::exception& e) {
    facts.exception = TypeName(typeid(e)) + ": " + e.what();
  } catch (...) {
    const std::type_info* type = abi::__cxa_current_exception_type();
    facts.exception = type ? TypeName(*type) : "an exception of unknown type";
  }
}

std::wstring CrashFolder() {
  PWSTR local = nullptr;
  if (FAILED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local))) return L"";
  std::wstring folder = std::wstring(local) + L"\\Petariko\\crash";
  CoTaskMemFree(local);
  return folder;
}

bool MakeFolder(const std::wstring& folder) {
  CreateDirectoryW(folder.substr(0, folder.rfind(L'\\')).c_str(), nullptr);
  return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

UniqueKernelHandle CreateNewFile(const std::wstring& path) {
  return UniqueKernelHandle(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// dbghelp is loaded only for a report: held from start-up, it and what it loads cost an idle
// program more than a megabyte. From the system folder only: a dbghelp.dll beside the program or
// in the current folder is never taken.
decltype(&MiniDumpWriteDump) LoadMinidumpWriter() {
  const HMODULE dbghelp = LoadLibraryExW(L"dbghelp.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!dbghelp) return nullptr;
  // A dump needs no symbols: one that reads every module's symbols first (Wine's does) takes
  // half a minute instead of a second.
  if (const auto set_options = reinterpret_cast<decltype(&SymSetOptions)>(
          reinterpret_cast<void*>(GetProcAddress(dbghelp, "SymSetOptions")))) {
    set_options(SYMOPT_DEFERRED_LOADS);
  }
  return reinterpret_cast<decltype(&MiniDumpWriteDump)>(
      reinterpret_cast<void*>(GetProcAddress(dbghelp, "MiniDumpWriteDump")));
}

bool WriteMinidump(const std::wstring& path, const CrashRequest& request) {
  const auto write = LoadMinidumpWriter();
  if (!write) return false;
  UniqueKernelHandle file = CreateNewFile(path);
  if (file.get() == INVALID_HANDLE_VALUE) return false;
  MINIDUMP_EXCEPTION_INFORMATION exception{request.thread_id, request.structured, FALSE};
  // The stacks and the modules only: what the user sends holds as little of their data as can be.
  if (write(GetCurrentProcess(), GetCurrentProcessId(), file.get(), MiniDumpNormal,
            request.structured ? &exception : nullptr, nullptr, nullptr)) {
    return true;
  }
  file.reset();
  DeleteFileW(path.c_str());
  return false;
}

bool WriteTextFile(const std::wstring& path, const std::string& text) {
  UniqueKernelHandle file = CreateNewFile(path);
  DWORD written = 0;
  return file.get() != INVALID_HANDLE_VALUE &&
         WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

// Writes the report of `request` and its minidump; true when the report is in the folder.
bool WriteCrashReport(const CrashRequest& request) noexcept {
  try {
    const ThrowRecord thrown = LastThrow();
    const auto [base, size] = ProgramImage();

    CrashFacts facts;
    facts.version = PETARIKO_VERSION;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    facts.time = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    facts.process_id = GetCurrentProcessId();
    if (request.structured) {
      const EXCEPTION_RECORD& record = *request.structured->ExceptionRecord;
      facts.exception_code = record.ExceptionCode;
      if (InProgram(record.ExceptionAddress)) {
        facts.exception_offset = reinterpret_cast<std::uint64_t>(record.ExceptionAddress) - base;
      }
      facts.stack = ProgramStack(FramesFrom(request), request.context->Rip, base, size);
    } else {
      DescribeException(request.exception, facts);
      facts.stack = request.exception && thrown.thread == request.thread_id && thrown.count > 0
                        ? ProgramStack(Frames(thrown.frames, thrown.count), thrown.address, base, size)
                        : ProgramStack(FramesFrom(request), 0, base, size);
    }

    const std::wstring& folder = TheReporter().folder;
    if (folder.empty() || !MakeFolder(folder)) return false;
    const std::string stem = CrashFileStem(facts.time, facts.process_id);
    const std::wstring path = folder + L"\\" + std::wstring(stem.begin(), stem.end());
    // The report first, then the minidump, which must load dbghelp: a load that the failure
    // blocks (the loader's lock left taken) then costs the dump, never the report.
    if (!WriteTextFile(path + L".txt", CrashReportText(facts))) return false;
    TheReporter().saved = true;
    if (WriteMinidump(path + L".dmp", request)) {
      facts.dump_name = stem + ".dmp";
      WriteTextFile(path + L".txt", CrashReportText(facts));
    }
    return true;
  } catch (...) {
    return false;
  }
}

void ShowFatalMessage(bool saved) {
  const Reporter& reporter = TheReporter();
  ShowMessageBox(nullptr, saved ? reporter.message_saved : reporter.message_unsaved, ui::kTitleFatal);
}

// True for the one thread that is to show the message and end the process: after the faulting
// thread gave up waiting, a reporter that finishes late must not end the process under its box.
bool TakeTheEnd() { return !TheReporter().ending.exchange(true); }

[[noreturn]] void End() {
  // Nothing of a broken process runs on: no destructor, no handler at exit.
  TerminateProcess(GetCurrentProcess(), 1);
  for (;;) Sleep(INFINITE);
}

DWORD WINAPI ReporterMain(void*) {
  Reporter& reporter = TheReporter();
  WaitForSingleObject(reporter.wake, INFINITE);
  const bool saved = WriteCrashReport(*reporter.request);
  SetEvent(reporter.written);
  if (!TakeTheEnd())
    for (;;) Sleep(INFINITE);
  ShowFatalMessage(saved);
  End();
}

}  // namespace

void RecordThrowsOnThisThread() {
  LastThrow().thread = GetCurrentThreadId();
  static const bool added = AddVectoredExceptionHandler(0, RecordThrow) != nullptr;
  (void)added;
}

bool InProgram(const void* address) {
  const Image image = ProgramImage();
  return reinterpret_cast<std::uint64_t>(address) - image.base < image.size;
}

void PrepareCrashReporter() {
  Reporter& reporter = TheReporter();
  if (reporter.thread_id) return;
  reporter.folder = CrashFolder();
  reporter.message_unsaved = ui::kFatalError;
  reporter.message_saved = reporter.message_unsaved + L"\r\n\r\n" + ui::kCrashReportSaved + L"\r\n" + reporter.folder;
  reporter.wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  reporter.written = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!reporter.wake || !reporter.written) return;
  // Without the thread, the faulting thread writes the report itself.
  if (const HANDLE thread = CreateThread(nullptr, 0, ReporterMain, nullptr, 0, &reporter.thread_id)) {
    CloseHandle(thread);
  }
}

bool OnReporterThread() { return TheReporter().thread_id != 0 && GetCurrentThreadId() == TheReporter().thread_id; }

void ReportCrashAndEnd(const CrashRequest& request) noexcept {
  Reporter& reporter = TheReporter();
  if (reporter.thread_id) {
    reporter.request = &request;
    SetEvent(reporter.wake);
    // The reporter shows the message and ends the process, unless it is stuck by then.
    if (WaitForSingleObject(reporter.written, kReportTimeoutMs) == WAIT_OBJECT_0 || !TakeTheEnd()) {
      for (;;) Sleep(INFINITE);
    }
    ShowFatalMessage(reporter.saved);
  } else {
    ShowFatalMessage(WriteCrashReport(request));
  }
  End();
}

}  // namespace petariko
