// The cut-out as the clipboard takes it: the outline's bounding rectangle of the frozen
// picture, opaque inside the outline and transparent outside, as a 32-bit bitmap with alpha
// (CF_DIBV5) and as a plain 24-bit one (CF_DIB) for programs that know no alpha.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/point.h"
#include "cutout/bmp_writer.h"

namespace petariko {

// Which pixels of a piece lie inside its outline (points relative to the piece's corner).
// Pixel (x, y) is inside when its centre (x + 1/2, y + 1/2) has a non-zero winding number
// about the closed polygon: the winding rule the window's shape is made with, and like it the
// polygon's right and bottom edges stay outside. Fewer than three points make no polygon: the
// whole piece is kept, as the window then shows it.
class OutlineMask {
 public:
  explicit OutlineMask(std::span<const Point> outline) : outline_(outline.begin(), outline.end()) {}
  // 255 for the pixels of row y inside the outline, 0 for the others.
  void Row(int y, std::span<std::uint8_t> out);

 private:
  struct Crossing {
    double x;
    int direction;
  };
  std::vector<Point> outline_;
  std::vector<Crossing> crossings_;
};

inline constexpr std::size_t kDibV5HeaderSize = 124;
inline constexpr std::size_t kDibHeaderSize = 40;

// True when both bitmaps can be made: both sides positive and every size fits 31 bits.
bool CopyBitmapsFit(int width, int height);
std::size_t DibV5Size(int width, int height);  // header and 32-bit rows
std::size_t DibSize(int width, int height);    // header and 24-bit rows padded to four bytes

// Fills `dibv5` and `dib` (exactly DibV5Size and DibSize bytes; requires CopyBitmapsFit), rows
// bottom-up as every reader takes them. The 32-bit one carries straight alpha, and its outside
// pixels are zero in every channel, so that a reader that takes the alpha as premultiplied
// sees the same picture. The 24-bit one shows the outside white, as a page would.
void WriteCopyBitmaps(int width, int height, std::span<const Point> outline, const BmpRowSource& rows,
                      std::span<std::uint8_t> dibv5, std::span<std::uint8_t> dib);

// The length of the PNG file at the start of `bytes`: its chunks walked from the signature to
// the end chunk. Nothing when they do not end within `bytes`.
std::optional<std::size_t> PngFileLength(std::span<const std::uint8_t> bytes);

// Row y (0 = the top) of the 32-bit pixels of a bitmap WriteCopyBitmaps wrote.
inline const std::uint8_t* DibV5Row(std::span<const std::uint8_t> dibv5, int width, int height, int y) {
  return dibv5.data() + kDibV5HeaderSize + static_cast<std::size_t>(height - 1 - y) * width * 4;
}

}  // namespace petariko
