#include "cutout/cutout_image.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "cutout/little_endian.h"

namespace petariko {
namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kLcsSrgb = 0x73524742;  // 'sRGB'
constexpr std::uint32_t kLcsGmImages = 4;
constexpr std::uint32_t kDotsPerMetre = 3780;  // 96 dots per inch, as the saved BMP

std::size_t DibStride(int width) { return (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4; }

// The fields BITMAPINFOHEADER and BITMAPV5HEADER share.
void PutInfoHeader(std::uint8_t* h, std::uint32_t size, int width, int height, int bits, std::uint32_t compression,
                   std::size_t image_bytes) {
  Put32(h, size);
  Put32(h + 4, static_cast<std::uint32_t>(width));
  Put32(h + 8, static_cast<std::uint32_t>(height));  // positive: bottom-up
  Put16(h + 12, 1);
  Put16(h + 14, static_cast<std::uint16_t>(bits));
  Put32(h + 16, compression);
  Put32(h + 20, static_cast<std::uint32_t>(image_bytes));
  Put32(h + 24, kDotsPerMetre);
  Put32(h + 28, kDotsPerMetre);
}

}  // namespace

void OutlineMask::Row(int y, std::span<std::uint8_t> out) {
  if (outline_.size() < 3) {
    std::fill(out.begin(), out.end(), std::uint8_t{255});
    return;
  }
  std::fill(out.begin(), out.end(), std::uint8_t{0});
  // The row's centre line lies half-way between whole coordinates, so it never passes through
  // a vertex and every crossing is a clean one.
  const double centre_y = y + 0.5;
  crossings_.clear();
  for (std::size_t i = 0; i < outline_.size(); ++i) {
    const Point a = outline_[i];
    const Point b = outline_[(i + 1) % outline_.size()];
    if ((a.y < centre_y) == (b.y < centre_y)) continue;
    const double x = a.x + (centre_y - a.y) * (b.x - a.x) / (b.y - a.y);
    crossings_.push_back({x, b.y > a.y ? 1 : -1});
  }
  std::sort(crossings_.begin(), crossings_.end(), [](const Crossing& l, const Crossing& r) { return l.x < r.x; });
  const auto width = static_cast<double>(out.size());
  int winding = 0;
  for (std::size_t k = 0; k + 1 < crossings_.size(); ++k) {
    winding += crossings_[k].direction;
    if (winding == 0) continue;
    // Pixels whose centres x + 1/2 lie in [this crossing, the next).
    const double first = std::clamp(std::ceil(crossings_[k].x - 0.5), 0.0, width);
    const double end = std::clamp(std::ceil(crossings_[k + 1].x - 0.5), 0.0, width);
    if (first < end) {
      std::fill(out.begin() + static_cast<std::ptrdiff_t>(first), out.begin() + static_cast<std::ptrdiff_t>(end),
                std::uint8_t{255});
    }
  }
}

bool CopyBitmapsFit(int width, int height) {
  if (width <= 0 || height <= 0) return false;
  constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
  return kDibV5HeaderSize + static_cast<std::uint64_t>(width) * 4 * static_cast<std::uint64_t>(height) <= kMax;
}

std::size_t DibV5Size(int width, int height) {
  return kDibV5HeaderSize + static_cast<std::size_t>(width) * 4 * static_cast<std::size_t>(height);
}

std::size_t DibSize(int width, int height) {
  return kDibHeaderSize + DibStride(width) * static_cast<std::size_t>(height);
}

std::optional<std::size_t> PngFileLength(std::span<const std::uint8_t> bytes) {
  constexpr std::size_t kSignature = 8;
  constexpr std::size_t kChunkFrame = 12;  // length, type and check value
  std::size_t at = kSignature;
  while (at + kChunkFrame <= bytes.size()) {
    const std::uint8_t* chunk = bytes.data() + at;
    const std::size_t length = static_cast<std::size_t>(chunk[0]) << 24 | static_cast<std::size_t>(chunk[1]) << 16 |
                               static_cast<std::size_t>(chunk[2]) << 8 | chunk[3];
    if (length > bytes.size() - at - kChunkFrame) return std::nullopt;
    at += kChunkFrame + length;
    if (std::memcmp(chunk + 4, "IEND", 4) == 0) return at;
  }
  return std::nullopt;
}

void WriteCopyBitmaps(int width, int height, std::span<const Point> outline, const BmpRowSource& rows,
                      std::span<std::uint8_t> dibv5, std::span<std::uint8_t> dib) {
  std::uint8_t* v5 = dibv5.data();
  std::memset(v5, 0, kDibV5HeaderSize);
  PutInfoHeader(v5, kDibV5HeaderSize, width, height, 32, kBiBitfields, dibv5.size() - kDibV5HeaderSize);
  Put32(v5 + 40, 0x00FF0000);  // red
  Put32(v5 + 44, 0x0000FF00);  // green
  Put32(v5 + 48, 0x000000FF);  // blue
  Put32(v5 + 52, 0xFF000000);  // alpha
  Put32(v5 + 56, kLcsSrgb);    // the screen's colours, no end points, gamma or profile
  Put32(v5 + 108, kLcsGmImages);

  std::memset(dib.data(), 0, kDibHeaderSize);
  PutInfoHeader(dib.data(), kDibHeaderSize, width, height, 24, kBiRgb, dib.size() - kDibHeaderSize);

  const std::size_t stride = DibStride(width);
  std::vector<std::uint8_t> bgr(static_cast<std::size_t>(width) * 3);
  std::vector<std::uint8_t> inside(static_cast<std::size_t>(width));
  OutlineMask mask(outline);
  for (int y = 0; y < height; ++y) {
    rows(y, bgr.data());
    mask.Row(y, inside);
    const std::size_t from_bottom = static_cast<std::size_t>(height - 1 - y);
    std::uint8_t* out32 = v5 + kDibV5HeaderSize + from_bottom * width * 4;
    std::uint8_t* out24 = dib.data() + kDibHeaderSize + from_bottom * stride;
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* in = &bgr[3 * static_cast<std::size_t>(x)];
      if (inside[x]) {
        out32[0] = in[0], out32[1] = in[1], out32[2] = in[2], out32[3] = 255;
        out24[0] = in[0], out24[1] = in[1], out24[2] = in[2];
      } else {
        out32[0] = out32[1] = out32[2] = out32[3] = 0;
        out24[0] = out24[1] = out24[2] = 255;
      }
      out32 += 4;
      out24 += 3;
    }
    std::fill(out24, dib.data() + kDibHeaderSize + (from_bottom + 1) * stride, std::uint8_t{0});
  }
}

}  // namespace petariko
