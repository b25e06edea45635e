// Copies a piece of a known picture through the program's clipboard code and stays to serve it
// to X until it is ended:
//
//   clip_copy.exe OUTFILE
//
// The picture is pattern.exe's (pixel (x, y) red x % 256, green y % 256, blue 64 * (x / 256 % 4)
// + 16 * (y / 256 % 4) + 8); the piece is 300 x 200 from (100, 50), cut by the triangle in
// tests/e2e/test_cutout.py. OUTFILE then says "copied" or "failed".
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <vector>

#include "cutout/clipboard_win32.h"

namespace {

class PatternImage : public petariko::FrozenImage {
 public:
  void ReadRow(int x, int y, int width, std::uint8_t* bgr) override {
    for (int px = x; px < x + width; ++px, bgr += 3) {
      bgr[0] = static_cast<std::uint8_t>(64 * (px / 256 % 4) + 16 * (y / 256 % 4) + 8);
      bgr[1] = static_cast<std::uint8_t>(y % 256);
      bgr[2] = static_cast<std::uint8_t>(px % 256);
    }
  }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2 || FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
  HWND owner = CreateWindowExW(0, L"STATIC", L"clip_copy", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  PatternImage pattern;
  const std::vector<petariko::Point> triangle{{150, 0}, {300, 170}, {10, 200}};
  const bool copied = petariko::CopyCutoutToClipboard(owner, pattern, {100, 50, 400, 250}, triangle);
  FILE* out = _wfopen(argv[1], L"wb");
  if (!out) return 1;
  std::fputs(copied ? "copied" : "failed", out);
  std::fclose(out);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
