// Records how it was started, for the end-to-end tests of program launches: appends one JSON
// object per start, in UTF-8, with the start time (milliseconds since 1970), the full command
// line, the arguments as the C runtime would split them, the current directory, and whether petariko's frozen screen
// was still visible at that moment.
//
// The record goes to the file named by RECORD_ARGS_FILE, else to record_args.log beside the exe.
// RECORD_ARGS_SLEEP_MS keeps it running that long after the record, for tests of waiting.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "helper_kit.h"

namespace {

using helper_kit::Json;

std::wstring RecordPath() {
  wchar_t buffer[32768];
  const DWORD length = GetEnvironmentVariableW(L"RECORD_ARGS_FILE", buffer, 32768);
  if (length > 0 && length < 32768) return std::wstring(buffer, length);
  const DWORD module_length = GetModuleFileNameW(nullptr, buffer, 32768);
  std::wstring path(buffer, module_length);
  return path.substr(0, path.find_last_of(L"\\/") + 1) + L"record_args.log";
}

unsigned long long UnixMilliseconds() {
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  ULARGE_INTEGER ticks;
  ticks.LowPart = now.dwLowDateTime;
  ticks.HighPart = now.dwHighDateTime;
  return (ticks.QuadPart - 116444736000000000ULL) / 10000ULL;
}

}  // namespace

int wmain() {
  const unsigned long long started = UnixMilliseconds();
  const std::wstring command_line = GetCommandLineW();
  std::string record = "{\"t\": " + std::to_string(started) + ", \"cmd\": " + Json(command_line) + ", \"argv\": [";
  int count = 0;
  if (LPWSTR* args = CommandLineToArgvW(command_line.c_str(), &count)) {
    for (int i = 0; i < count; ++i) record += (i ? ", " : "") + Json(args[i]);
    LocalFree(args);
  }
  wchar_t directory[32768] = {};
  GetCurrentDirectoryW(32768, directory);
  const HWND canvas = FindWindowW(L"PetarikoCanvas", nullptr);
  record += "], \"cwd\": " + Json(directory);
  record += std::string(", \"canvas_visible\": ") + (canvas && IsWindowVisible(canvas) ? "true" : "false") + "}\n";

  // One write with FILE_APPEND_DATA, so that starts close together do not interleave.
  HANDLE file = CreateFileW(RecordPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
  CloseHandle(file);
  wchar_t sleep_ms[16];
  if (GetEnvironmentVariableW(L"RECORD_ARGS_SLEEP_MS", sleep_ms, 16) > 0) Sleep(_wtoi(sleep_ms));
  return ok && written == record.size() ? 0 : 1;
}
