#include "cutout/bmp_writer.h"

#include <limits>
#include <stdexcept>

namespace petariko {
namespace {

std::size_t StrideFor(int width) { return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3}; }

void Put16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

bool BmpImage::Fits(int width, int height) {
  if (width <= 0 || height <= 0) return false;
  // The file size and the image size are unsigned 32-bit fields; stay below 2^31 so that
  // readers that treat them as signed accept the file too.
  const std::uint64_t size = kHeaderSize + static_cast<std::uint64_t>(StrideFor(width)) * height;
  return size <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
}

BmpImage::BmpImage(int width, int height) : width_(width), height_(height), stride_(0) {
  if (!Fits(width, height)) throw std::length_error("BMP size out of range");
  stride_ = StrideFor(width);
  bytes_.assign(kHeaderSize + stride_ * static_cast<std::size_t>(height), 0);
  WriteHeader();
}

void BmpImage::WriteHeader() {
  std::uint8_t* h = bytes_.data();
  const auto pixel_bytes = static_cast<std::uint32_t>(stride_ * static_cast<std::size_t>(height_));
  // File header.
  h[0] = 'B';
  h[1] = 'M';
  Put32(h + 2, static_cast<std::uint32_t>(bytes_.size()));
  Put32(h + 10, static_cast<std::uint32_t>(kHeaderSize));
  // Info header; a positive height means the rows are stored bottom-up.
  Put32(h + 14, 40);
  Put32(h + 18, static_cast<std::uint32_t>(width_));
  Put32(h + 22, static_cast<std::uint32_t>(height_));
  Put16(h + 26, 1);   // planes
  Put16(h + 28, 24);  // bits per pixel
  Put32(h + 30, 0);   // no compression
  Put32(h + 34, pixel_bytes);
  Put32(h + 38, 3780);  // 96 dots per inch, in dots per metre
  Put32(h + 42, 3780);
}

void BmpImage::SetPixel(int x, int y, Rgb colour) {
  std::uint8_t* p = Row(y) + static_cast<std::size_t>(x) * 3;
  p[0] = colour.b;
  p[1] = colour.g;
  p[2] = colour.r;
}

Rgb BmpImage::GetPixel(int x, int y) const {
  const std::uint8_t* p = Row(y) + static_cast<std::size_t>(x) * 3;
  return {p[2], p[1], p[0]};
}

}  // namespace petariko
