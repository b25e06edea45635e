// Runs one launch through the program's own launcher, so that the end-to-end tests can check
// the split, the shell, the fallback and the wait against the real system without a gesture.
//
//   launch_line.exe LINEFILE OUTFILE [wait]
//
// LINEFILE holds the command line in UTF-8; OUTFILE receives "result=0|1 elapsed_ms=N".
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "launcher/launcher.h"
#include "launcher/launcher_win32.h"

namespace {

std::wstring FromUtf8(const std::string& text) {
  if (text.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // The program runs its launches in one single-threaded apartment; so does this helper.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  if (argc < 3) return 2;
  std::ifstream in(argv[1], std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const bool wait = argc > 3 && std::wstring(argv[3]) == L"wait";

  int hides = 0;
  petariko::Win32LauncherPorts ports([&] { ++hides; });
  const ULONGLONG started = GetTickCount64();
  bool result = false;
  {
    petariko::cExecute launcher(ports);
    result = launcher.ShellX(FromUtf8(bytes), SW_SHOWNORMAL, 0, wait);
  }
  const ULONGLONG elapsed = GetTickCount64() - started;

  std::FILE* out = _wfopen(argv[2], L"wb");
  if (!out) return 1;
  std::fprintf(out, "result=%d elapsed_ms=%llu hides=%d\n", result ? 1 : 0, elapsed, hides);
  std::fclose(out);
  return 0;
}
