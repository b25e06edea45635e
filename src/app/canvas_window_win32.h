// Form1 as a window on the screen: the full-screen canvas that shows the frozen screen while a
// trace is drawn, and afterwards the shaped cut-out window. It also keeps the clean frozen
// screen image (Form4) in a memory bitmap for as long as the cut-out exists.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/colour.h"
#include "core/gesture_hooks.h"
#include "core/point.h"
#include "core/trace.h"
#include "core/handles_win32.h"
#include "cutout/cutout.h"

namespace petariko {

// A memory bitmap whose pixels the program can read: top-down rows of 32-bit pixels, the
// display's own format, so that capturing into it and painting from it need no conversion.
class DibSurface {
 public:
  DibSurface() = default;
  DibSurface(const DibSurface&) = delete;
  DibSurface& operator=(const DibSurface&) = delete;
  ~DibSurface() { Release(); }

  // Makes the surface width x height (contents undefined); throws Win32Error on failure.
  void Resize(HDC reference, int width, int height);
  HDC dc() const { return dc_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  // Row y from the top, blue-green-red-unused quads; call GdiFlush() before reading what GDI drew.
  const std::uint8_t* Row(int y) const { return bits_ + static_cast<std::size_t>(y) * width_ * 4; }

 private:
  void Release();

  UniqueMemoryDc dc_;
  UniqueBitmap bitmap_;
  HGDIOBJ previous_ = nullptr;
  std::uint8_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

class CanvasWindow : public FrozenScreenWindow,
                     public GestureSurface,
                     public CutoutWindow,
                     public FrozenImage {
 public:
  explicit CanvasWindow(HINSTANCE instance);
  ~CanvasWindow() override;
  CanvasWindow(const CanvasWindow&) = delete;
  CanvasWindow& operator=(const CanvasWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  // Mouse events on the cut-out go to this cut-out (drag, erase, menu).
  void AttachCutout(Cutout* cutout) { cutout_ = cutout; }

  // FrozenScreenWindow
  void CoverScreen() override;
  void Freeze() override;
  void DrawStartMarker(TraceMode mode, Point top_left) override;
  void DrawLine(Point from, Point to, Rgb colour) override;
  void Show() override;
  void Hide() override;
  void WipeToFrozen() override;
  bool ClipToOutline(std::span<const Point> outline) override;
  void MoveBy(int dx, int dy) override;

  // GestureSurface
  void DrawArrowCell(int code, Point top_left) override;
  void ShowLabel(const std::wstring& caption, Point top_left) override;
  void HideLabel() override;

  // CutoutWindow
  Point Position() override;
  void ShowAt(Point top_left) override;
  void MoveTo(Point top_left) override;
  void ResetShape() override;
  Point CursorPos() override;

  // FrozenImage
  void ReadRow(int x, int y, int width, std::uint8_t* bgr) override;

 private:
  // What has been drawn over the frozen screen since the last freeze, replayed on paint so the
  // window keeps it while hidden without a second full-screen bitmap.
  struct Mark {
    enum class Kind { kIcon, kArrow, kLine } kind;
    Point a;
    Point b;
    Rgb colour;
    int code = 0;
  };
  struct Label {
    std::wstring caption;
    RECT rect;
  };

  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void Paint();
  void AddMark(const Mark& mark);
  void DrawMark(HDC dc, const Mark& mark);
  void DrawLabel(HDC dc);
  void InvalidateLabel();
  void CreateLabelFont();

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;  // recorded at creation; window_ owns it
  UniqueWindow window_;
  DibSurface frozen_;
  UniqueIcon icon_;
  UniqueMemoryDc arrows_dc_;
  UniqueBitmap arrows_;
  HGDIOBJ arrows_previous_ = nullptr;
  UniqueFont label_font_;

  bool cover_on_show_ = false;
  std::vector<Mark> marks_;
  std::optional<Label> label_;
  Cutout* cutout_ = nullptr;
};

}  // namespace petariko
