// An uncompressed 24-bit BMP file held in memory: the pixel rows are stored bottom-up in the
// file's own layout, so a save fills them in place and writes the bytes in one go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/colour.h"

namespace petariko {

class BmpImage {
 public:
  static constexpr std::size_t kHeaderSize = 14 + 40;

  // True when a BMP of this size can be made: both sides positive and the file size fits the
  // format's 32-bit fields.
  static bool Fits(int width, int height);

  // Throws std::length_error unless Fits(width, height). Pixels start black.
  BmpImage(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  // Bytes per row including the padding to a multiple of four.
  std::size_t stride() const { return stride_; }

  // Row y counted from the top of the picture: width() blue-green-red triplets.
  std::uint8_t* Row(int y) { return bytes_.data() + RowOffset(y); }
  const std::uint8_t* Row(int y) const { return bytes_.data() + RowOffset(y); }

  void SetPixel(int x, int y, Rgb colour);
  Rgb GetPixel(int x, int y) const;

  // The complete file.
  std::span<const std::uint8_t> FileBytes() const { return bytes_; }

 private:
  std::size_t RowOffset(int y) const {
    return kHeaderSize + static_cast<std::size_t>(height_ - 1 - y) * stride_;
  }
  void WriteHeader();

  int width_;
  int height_;
  std::size_t stride_;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace petariko
