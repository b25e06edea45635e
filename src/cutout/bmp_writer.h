// Writes an uncompressed 24-bit BMP file (rows bottom-up, as the format stores them) straight
// from a row source through a small buffer, so that saving a whole screen needs no second copy
// of the picture in memory.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "core/byte_sink.h"

namespace petariko {

// Fills row y (0 = the top of the picture) with `width` blue-green-red triplets.
using BmpRowSource = std::function<void(int y, std::uint8_t* bgr)>;

inline constexpr std::size_t kBmpHeaderSize = 14 + 40;

// True when a BMP of this size can be made: both sides positive and the file size fits the
// format's 32-bit fields.
bool BmpFits(int width, int height);

// Bytes per row, padded to a multiple of four.
std::size_t BmpStride(int width);

// The file and info headers. Requires BmpFits(width, height).
std::array<std::uint8_t, kBmpHeaderSize> BmpHeader(int width, int height);

// Writes the whole file; false when the size does not fit or the sink fails. Rows are gathered
// into writes of about `chunk_bytes` (at least one row).
bool WriteBmp(int width, int height, const BmpRowSource& row, ByteSink& sink, std::size_t chunk_bytes = 1 << 20);

}  // namespace petariko
