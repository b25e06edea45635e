// Copies a known piece through the program's clipboard code, the first time while another
// thread holds the clipboard for good, then while it holds it only briefly, and stays to serve
// the copy to X:
//
//   clip_copy.exe OUTFILE
//
// The piece is the pattern of pattern.exe (pixel (x, y) red x % 256, green y % 256, blue
// 64 * (x / 256 % 4) + 16 * (y / 256 % 4) + 8) from (100, 50) on, 300 x 200, cut by the star
// in tests/e2e/test_cutout.py. OUTFILE receives {"busy": ok, "busy_ms": ms, "brief": ok, "brief_ms": ms}.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <vector>

#include "cutout/clipboard_win32.h"
#include "helper_kit.h"

namespace {

using petariko::Point;

class PatternImage : public petariko::FrozenImage {
 public:
  void ReadRow(int x, int y, int width, std::uint8_t* bgr) override {
    for (int i = 0; i < width; ++i, bgr += 3) {
      const int px = x + i;
      bgr[0] = static_cast<std::uint8_t>(64 * (px / 256 % 4) + 16 * (y / 256 % 4) + 8);
      bgr[1] = static_cast<std::uint8_t>(y % 256);
      bgr[2] = static_cast<std::uint8_t>(px % 256);
    }
  }
};

struct Holder {
  HANDLE held = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DWORD release_after_ms = 0;
};

// Another program holding the clipboard: its own window on its own thread.
DWORD WINAPI HoldClipboard(void* parameter) {
  auto* holder = static_cast<Holder*>(parameter);
  HWND window = CreateWindowExW(0, L"STATIC", L"holder", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (!OpenClipboard(window)) return 1;
  SetEvent(holder->held);
  WaitForSingleObject(holder->release, INFINITE);
  Sleep(holder->release_after_ms);
  CloseClipboard();
  DestroyWindow(window);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 3;
  HWND owner = CreateWindowExW(0, L"STATIC", L"clip_copy", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  PatternImage pattern;
  const petariko::SaveRect piece{100, 50, 400, 250};
  const std::vector<Point> star{{150, 0}, {240, 200}, {0, 70}, {300, 70}, {60, 200}};

  Holder holder;
  HANDLE thread = CreateThread(nullptr, 0, HoldClipboard, &holder, 0, nullptr);
  WaitForSingleObject(holder.held, INFINITE);
  const ULONGLONG start = GetTickCount64();
  const bool busy = petariko::CopyCutoutToClipboard(owner, pattern, piece, star);
  const ULONGLONG busy_ms = GetTickCount64() - start;
  holder.release_after_ms = 100;
  const ULONGLONG released = GetTickCount64();
  SetEvent(holder.release);
  const bool brief = petariko::CopyCutoutToClipboard(owner, pattern, piece, star);
  const ULONGLONG brief_ms = GetTickCount64() - released;
  WaitForSingleObject(thread, INFINITE);

  FILE* out = _wfopen(argv[1], L"wb");
  if (!out) return 1;
  std::fprintf(out, "{\"busy\":%s,\"busy_ms\":%llu,\"brief\":%s,\"brief_ms\":%llu}\n", busy ? "true" : "false",
               busy_ms, brief ? "true" : "false", brief_ms);
  std::fclose(out);
  // The copy is served to X from here on; the test ends the process.
  for (;;) {
    helper_kit::PumpMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
  }
}
