#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/colour.h"
#include "cutout/bmp_writer.h"

namespace petariko {

// Collects what is written; can be told to fail at the n-th write.
class VectorSink : public ByteSink {
 public:
  std::vector<std::uint8_t> bytes;
  std::vector<std::size_t> write_sizes;
  int fail_at_write = -1;

  bool Write(std::span<const std::uint8_t> chunk) override {
    if (static_cast<int>(write_sizes.size()) == fail_at_write) return false;
    write_sizes.push_back(chunk.size());
    bytes.insert(bytes.end(), chunk.begin(), chunk.end());
    return true;
  }
};

inline std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
inline std::uint16_t Le16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// A reader written from the file format, independent of the writer.
struct DecodedBmp {
  int width = 0;
  int height = 0;
  std::vector<Rgb> top_down;  // row-major from the top
  bool padding_zero = true;

  Rgb At(int x, int y) const { return top_down[static_cast<std::size_t>(y) * width + x]; }
};

inline DecodedBmp DecodeBmp(std::span<const std::uint8_t> file) {
  DecodedBmp d;
  d.width = static_cast<int>(Le32(file, 18));
  d.height = static_cast<int>(Le32(file, 22));
  const std::size_t offset = Le32(file, 10);
  const std::size_t stride = ((static_cast<std::size_t>(d.width) * 24 + 31) / 32) * 4;
  for (int y = 0; y < d.height; ++y) {
    const std::size_t row = offset + static_cast<std::size_t>(d.height - 1 - y) * stride;
    for (int x = 0; x < d.width; ++x) {
      const std::size_t p = row + static_cast<std::size_t>(x) * 3;
      d.top_down.push_back({file[p + 2], file[p + 1], file[p]});
    }
    for (std::size_t pad = static_cast<std::size_t>(d.width) * 3; pad < stride; ++pad) {
      d.padding_zero = d.padding_zero && file[row + pad] == 0;
    }
  }
  return d;
}

}  // namespace petariko
