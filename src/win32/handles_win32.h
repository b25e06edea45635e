// Small owning types for Windows handles, so that a window procedure can return from anywhere
// without leaking in a program that runs for weeks.
#pragma once

#include <windows.h>

#include <utility>

#include "win32/failures_win32.h"

namespace petariko {

// Owns one handle and releases it with Traits::Close.
template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::Invalid(); }
  Handle release() { return std::exchange(handle_, Traits::Invalid()); }
  void reset(Handle handle = Traits::Invalid()) {
    if (handle_ != Traits::Invalid()) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

// Traits for handles whose "none" value is null.
#define PETARIKO_NULL_HANDLE_TRAITS(Name, HandleType, CloseCall) \
  struct Name {                                                  \
    using Handle = HandleType;                                   \
    static Handle Invalid() { return nullptr; }                  \
    static void Close(Handle h) { CloseCall(h); }                \
  }

template <typename H>
PETARIKO_NULL_HANDLE_TRAITS(GdiObjectTraits, H, DeleteObject);
PETARIKO_NULL_HANDLE_TRAITS(MemoryDcTraits, HDC, DeleteDC);
PETARIKO_NULL_HANDLE_TRAITS(IconTraits, HICON, DestroyIcon);
PETARIKO_NULL_HANDLE_TRAITS(MenuTraits, HMENU, DestroyMenu);
PETARIKO_NULL_HANDLE_TRAITS(WindowTraits, HWND, DestroyWindow);
PETARIKO_NULL_HANDLE_TRAITS(GlobalMemoryTraits, HGLOBAL, GlobalFree);
#undef PETARIKO_NULL_HANDLE_TRAITS

struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};

// GDI objects: bitmaps, fonts, brushes, pens, regions.
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniquePen = UniqueHandle<GdiObjectTraits<HPEN>>;
using UniqueRegion = UniqueHandle<GdiObjectTraits<HRGN>>;
// A memory device context from CreateCompatibleDC.
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;
using UniqueIcon = UniqueHandle<IconTraits>;
using UniqueMenu = UniqueHandle<MenuTraits>;
using UniqueWindow = UniqueHandle<WindowTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
// A global memory block, as the clipboard takes it.
using UniqueGlobal = UniqueHandle<GlobalMemoryTraits>;

// A window's (or the screen's, with nullptr) device context from GetDC, released on scope exit.
class ScopedGetDc {
 public:
  explicit ScopedGetDc(HWND hwnd) : hwnd_(hwnd), dc_(CheckCall("GetDC", [&] { return GetDC(hwnd); })) {}
  ScopedGetDc(const ScopedGetDc&) = delete;
  ScopedGetDc& operator=(const ScopedGetDc&) = delete;
  ~ScopedGetDc() { ReleaseDC(hwnd_, dc_); }
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// BeginPaint/EndPaint as a scope.
class ScopedPaint {
 public:
  explicit ScopedPaint(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;
  ~ScopedPaint() { EndPaint(hwnd_, &ps_); }
  HDC get() const { return dc_; }
  const PAINTSTRUCT& paint() const { return ps_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC dc_ = nullptr;
};

// Selects an object into a device context and puts the previous one back on scope exit.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;
  ~ScopedSelect() { SelectObject(dc_, previous_); }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace petariko
