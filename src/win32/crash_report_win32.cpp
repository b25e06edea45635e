#include "win32/crash_report_win32.h"

#include <dbghelp.h>
#include <shlobj.h>

#include <cxxabi.h>

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string_view>
#include <typeinfo>
#include <vector>

#include "core/crash_report.h"
#include "petariko_version.h"
#include "win32/handles_win32.h"

namespace petariko {
namespace {

// The code under which the GCC runtime raises a C++ throw.
constexpr DWORD kCppThrow = 0x20474343;
constexpr USHORT kMaxFrames = 48;

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
  if (exception->ExceptionRecord->ExceptionCode == kCppThrow && GetCurrentThreadId() == record.thread) {
    record.address = reinterpret_cast<std::uint64_t>(exception->ExceptionRecord->ExceptionAddress);
    record.count = RtlCaptureStackBackTrace(0, kMaxFrames, record.frames, nullptr);
  }
  return EXCEPTION_CONTINUE_SEARCH;
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

std::vector<std::uint64_t> FramesHere() {
  void* frames[kMaxFrames];
  return Frames(frames, RtlCaptureStackBackTrace(0, kMaxFrames, frames, nullptr));
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
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
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

void DescribeCurrentException(CrashFacts& facts) {
  const std::exception_ptr current = std::current_exception();
  if (!current) return;
  try {
    std::rethrow_exception(current);
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
  std::wstring folder = std::wstring(local) + L"\\Petariko";
  CoTaskMemFree(local);
  CreateDirectoryW(folder.c_str(), nullptr);
  folder += L"\\crash";
  if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return L"";
  return folder;
}

UniqueKernelHandle CreateNewFile(const std::wstring& path) {
  return UniqueKernelHandle(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool WriteMinidump(const std::wstring& path, EXCEPTION_POINTERS* structured) {
  // Loaded only now, and from the system folder only: a dbghelp.dll beside the program or in the
  // current folder is never taken.
  const HMODULE dbghelp = LoadLibraryExW(L"dbghelp.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!dbghelp) return false;
  const auto write = reinterpret_cast<decltype(&MiniDumpWriteDump)>(
      reinterpret_cast<void*>(GetProcAddress(dbghelp, "MiniDumpWriteDump")));
  if (!write) return false;
  UniqueKernelHandle file = CreateNewFile(path);
  if (file.get() == INVALID_HANDLE_VALUE) return false;
  MINIDUMP_EXCEPTION_INFORMATION exception{GetCurrentThreadId(), structured, FALSE};
  // The stacks and the modules only: what the user sends holds as little of their data as can be.
  if (write(GetCurrentProcess(), GetCurrentProcessId(), file.get(), MiniDumpNormal, structured ? &exception : nullptr,
            nullptr, nullptr)) {
    return true;
  }
  file.reset();
  DeleteFileW(path.c_str());
  return false;
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

std::wstring WriteCrashReport(EXCEPTION_POINTERS* structured) noexcept {
  try {
    // Copied first: describing the current exception throws it again.
    const ThrowRecord thrown = LastThrow();
    const auto [base, size] = ProgramImage();

    CrashFacts facts;
    facts.version = PETARIKO_VERSION;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    facts.time = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    facts.process_id = GetCurrentProcessId();
    if (structured) {
      const auto address = reinterpret_cast<std::uint64_t>(structured->ExceptionRecord->ExceptionAddress);
      facts.exception_code = structured->ExceptionRecord->ExceptionCode;
      if (InProgram(structured->ExceptionRecord->ExceptionAddress)) facts.exception_offset = address - base;
      facts.stack = ProgramStack(FramesHere(), address, base, size);
    } else if (std::current_exception() && thrown.thread == GetCurrentThreadId() && thrown.count > 0) {
      DescribeCurrentException(facts);
      facts.stack = ProgramStack(Frames(thrown.frames, thrown.count), thrown.address, base, size);
    } else {
      DescribeCurrentException(facts);
      facts.stack = ProgramStack(FramesHere(), 0, base, size);
    }

    const std::wstring folder = CrashFolder();
    if (folder.empty()) return L"";
    const std::string stem = CrashFileStem(facts.time, facts.process_id);
    const std::wstring path = folder + L"\\" + std::wstring(stem.begin(), stem.end());
    if (WriteMinidump(path + L".dmp", structured)) facts.dump_name = stem + ".dmp";
    const std::string text = CrashReportText(facts);
    UniqueKernelHandle file = CreateNewFile(path + L".txt");
    DWORD written = 0;
    if (file.get() == INVALID_HANDLE_VALUE ||
        !WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size()) {
      return L"";
    }
    return folder;
  } catch (...) {
    return L"";
  }
}

}  // namespace petariko
