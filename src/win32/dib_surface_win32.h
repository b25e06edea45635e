// A memory bitmap whose pixels the program reads and writes directly.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "win32/handles_win32.h"

namespace petariko {

// Top-down rows of 32-bit pixels, the display's own format, so that capturing into it and
// painting from it need no conversion.
class DibSurface {
 public:
  DibSurface() = default;
  DibSurface(const DibSurface&) = delete;
  DibSurface& operator=(const DibSurface&) = delete;
  ~DibSurface() { Release(); }

  // Makes the surface width x height (contents undefined); throws Win32Error on failure.
  void Resize(HDC reference, int width, int height);
  void Release();
  void Swap(DibSurface& other);
  HDC dc() const { return dc_.get(); }
  std::uint32_t* Pixels() { return reinterpret_cast<std::uint32_t*>(bits_); }
  const std::uint32_t* Pixels() const { return reinterpret_cast<const std::uint32_t*>(bits_); }
  int width() const { return width_; }
  int height() const { return height_; }
  // Row y from the top, blue-green-red-unused quads; call GdiFlush() before reading what GDI drew.
  const std::uint8_t* Row(int y) const { return bits_ + static_cast<std::size_t>(y) * width_ * 4; }

 private:
  UniqueMemoryDc dc_;
  UniqueBitmap bitmap_;
  HGDIOBJ previous_ = nullptr;
  std::uint8_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace petariko
