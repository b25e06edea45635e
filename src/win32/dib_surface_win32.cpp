#include "win32/dib_surface_win32.h"

#include <utility>

namespace petariko {

void DibSurface::Resize(HDC reference, int width, int height) {
  if (dc_ && width == width_ && height == height_) return;
  Release();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(Check(CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits, nullptr, 0), "CreateDIBSection"));
  dc_.reset(Check(CreateCompatibleDC(reference), "CreateCompatibleDC"));
  previous_ = SelectObject(dc_.get(), bitmap_.get());
  bits_ = static_cast<std::uint8_t*>(bits);
  width_ = width;
  height_ = height;
}

void DibSurface::Swap(DibSurface& other) {
  std::swap(dc_, other.dc_);
  std::swap(bitmap_, other.bitmap_);
  std::swap(previous_, other.previous_);
  std::swap(bits_, other.bits_);
  std::swap(width_, other.width_);
  std::swap(height_, other.height_);
}

void DibSurface::Release() {
  if (dc_ && previous_) SelectObject(dc_.get(), previous_);
  previous_ = nullptr;
  dc_.reset();
  bitmap_.reset();
  bits_ = nullptr;
  width_ = height_ = 0;
}

}  // namespace petariko
