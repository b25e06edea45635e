#include "cutout/bmp_writer.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "cutout/little_endian.h"

namespace petariko {

std::size_t BmpStride(int width) { return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3}; }

bool BmpFits(int width, int height) {
  if (width <= 0 || height <= 0) return false;
  // The file size and the image size are unsigned 32-bit fields; stay below 2^31 so that
  // readers that treat them as signed accept the file too.
  const std::uint64_t size = kBmpHeaderSize + static_cast<std::uint64_t>(BmpStride(width)) * height;
  return size <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
}

std::array<std::uint8_t, kBmpHeaderSize> BmpHeader(int width, int height) {
  std::array<std::uint8_t, kBmpHeaderSize> header{};
  std::uint8_t* h = header.data();
  const auto pixel_bytes = static_cast<std::uint32_t>(BmpStride(width) * static_cast<std::size_t>(height));
  // File header.
  h[0] = 'B';
  h[1] = 'M';
  Put32(h + 2, static_cast<std::uint32_t>(kBmpHeaderSize) + pixel_bytes);
  Put32(h + 10, static_cast<std::uint32_t>(kBmpHeaderSize));
  // Info header; a positive height means the rows are stored bottom-up.
  Put32(h + 14, 40);
  Put32(h + 18, static_cast<std::uint32_t>(width));
  Put32(h + 22, static_cast<std::uint32_t>(height));
  Put16(h + 26, 1);   // planes
  Put16(h + 28, 24);  // bits per pixel
  Put32(h + 30, 0);   // no compression
  Put32(h + 34, pixel_bytes);
  Put32(h + 38, 3780);  // 96 dots per inch, in dots per metre
  Put32(h + 42, 3780);
  return header;
}

bool WriteBmp(int width, int height, const BmpRowSource& row, ByteSink& sink, std::size_t chunk_bytes) {
  if (!BmpFits(width, height)) return false;
  const auto header = BmpHeader(width, height);
  if (!sink.Write(header)) return false;

  const std::size_t stride = BmpStride(width);
  const std::size_t rows_per_chunk = std::max<std::size_t>(1, chunk_bytes / stride);
  // Zero-initialised once: the padding bytes after each row stay zero.
  std::vector<std::uint8_t> buffer(stride * std::min<std::size_t>(rows_per_chunk, static_cast<std::size_t>(height)));
  std::size_t used = 0;
  for (int y = height - 1; y >= 0; --y) {
    row(y, buffer.data() + used);
    used += stride;
    if (used == buffer.size() || y == 0) {
      if (!sink.Write({buffer.data(), used})) return false;
      used = 0;
    }
  }
  return true;
}

}  // namespace petariko
