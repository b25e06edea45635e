// Times copying a full-screen cut-out to the clipboard against its floor, measured in the same
// run: encoding the same pixels as PNG alone plus a raw handing over of the same three blocks
// (opening the clipboard, emptying it, SetClipboardData of each, closing it). The copy's own
// work beyond that floor is the rows, the mask and both bitmaps.
//
//   clip_bench.exe OUTFILE [REPEATS]
//
// OUTFILE receives one JSON object of medians in milliseconds.
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "bench_kit.h"
#include "cutout/clipboard_win32.h"
#include "cutout/cutout_image.h"

namespace {

using petariko::Point;

using bench_kit::Median;
using bench_kit::NowMs;

// A frozen screen held in memory, with the varied content of the end-to-end pattern.
class MemoryScreen : public petariko::FrozenImage {
 public:
  MemoryScreen(int width, int height)
      : width_(width), height_(height), bgr_(static_cast<std::size_t>(width) * height * 3) {
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        std::uint8_t* p = &bgr_[(static_cast<std::size_t>(y) * width + x) * 3];
        p[0] = static_cast<std::uint8_t>(64 * (x / 256 % 4) + 16 * (y / 256 % 4) + 8);
        p[1] = static_cast<std::uint8_t>(y % 256);
        p[2] = static_cast<std::uint8_t>(x % 256);
      }
    }
  }
  petariko::SaveRect Extent() override { return {0, 0, width_, height_}; }
  void ReadRow(int x, int y, int width, std::uint8_t* bgr) override {
    std::memcpy(bgr, &bgr_[(static_cast<std::size_t>(y) * width_ + x) * 3], static_cast<std::size_t>(width) * 3);
  }

 private:
  int width_;
  int height_;
  std::vector<std::uint8_t> bgr_;
};

// A fresh movable block holding `bytes`, made outside the timing: the clipboard takes it over.
petariko::UniqueGlobal BlockOf(const std::vector<std::uint8_t>& bytes) {
  petariko::UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
  if (void* data = block ? GlobalLock(block.get()) : nullptr) {
    std::memcpy(data, bytes.data(), bytes.size());
    GlobalUnlock(block.get());
  }
  return block;
}

// The floor of the handing over: the system's own work for the three blocks, nothing else.
bool HandOver(HWND owner, UINT png_format, petariko::UniqueGlobal& png, petariko::UniqueGlobal& dibv5,
              petariko::UniqueGlobal& dib) {
  if (!OpenClipboard(owner)) return false;
  bool done = EmptyClipboard() && SetClipboardData(png_format, png.get()) && SetClipboardData(CF_DIBV5, dibv5.get()) &&
              SetClipboardData(CF_DIB, dib.get());
  done = CloseClipboard() && done;
  if (done) png.release(), dibv5.release(), dib.release();
  return done;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const int repeats = argc > 2 ? _wtoi(argv[2]) : 9;
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 3;
  constexpr int kWidth = 1920, kHeight = 1080;
  HWND owner = CreateWindowExW(0, L"STATIC", L"clip_bench", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  MemoryScreen screen(kWidth, kHeight);
  const petariko::SaveRect piece{0, 0, kWidth, kHeight};
  // The longest outline a trace makes: 99 points round an ellipse touching the screen's edges.
  std::vector<Point> outline;
  for (int i = 0; i < 99; ++i) {
    const double angle = 2 * 3.14159265358979 * i / 99;
    outline.push_back({static_cast<int>(std::lround(kWidth / 2.0 * (1 + std::cos(angle)))),
                       static_cast<int>(std::lround(kHeight / 2.0 * (1 + std::sin(angle))))});
  }

  // The same pixels the copy encodes, made in memory that is already the program's.
  std::vector<std::uint8_t> v5(petariko::DibV5Size(kWidth, kHeight)), dib(petariko::DibSize(kWidth, kHeight));

  const UINT png_format = RegisterClipboardFormatW(L"PNG");
  std::vector<double> encodes, bitmaps, handovers, copies;
  std::size_t png_bytes = 0;
  bool all_copied = true;
  bool all_handed = true;
  for (int i = 0; i < repeats; ++i) {
    // Alternating, so that the load of a shared machine weighs on both alike.
    const double bitmaps_start = NowMs();
    petariko::WriteCopyBitmaps(
        kWidth, kHeight, outline, [&](int y, std::uint8_t* bgr) { screen.ReadRow(0, y, kWidth, bgr); }, v5, dib);
    bitmaps.push_back(NowMs() - bitmaps_start);
    const double start = NowMs();
    petariko::UniqueGlobal png =
        petariko::EncodePng(kWidth, kHeight, [&](int y) { return petariko::DibV5Row(v5, kWidth, kHeight, y); });
    encodes.push_back(NowMs() - start);
    png_bytes = png ? GlobalSize(png.get()) : 0;
    petariko::UniqueGlobal dibv5_block = BlockOf(v5), dib_block = BlockOf(dib);
    const double handover_start = NowMs();
    all_handed = HandOver(owner, png_format, png, dibv5_block, dib_block) && all_handed;
    handovers.push_back(NowMs() - handover_start);
    const double copy_start = NowMs();
    std::vector<std::uint8_t> plain_kept;  // as the program keeps it for CF_BITMAP
    all_copied = petariko::CopyCutoutToClipboard(owner, screen, piece, outline, &plain_kept) && all_copied;
    copies.push_back(NowMs() - copy_start);
  }

  FILE* out = _wfopen(argv[1], L"wb");
  if (!out) return 1;
  std::fprintf(out,
               "{\"width\":%d,\"height\":%d,\"repeats\":%d,\"encode_ms\":%.3f,\"handover_ms\":%.3f,"
               "\"copy_ms\":%.3f,\"bitmaps_ms\":%.3f,\"png_bytes\":%zu,\"all_copied\":%s,\"all_handed\":%s}\n",
               kWidth, kHeight, repeats, Median(encodes), Median(handovers), Median(copies), Median(bitmaps), png_bytes,
               all_copied ? "true" : "false", all_handed ? "true" : "false");
  std::fclose(out);
  return 0;
}
