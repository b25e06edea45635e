// Form1 as a window on the screen: the canvas over the whole desktop (every monitor) that shows
// the frozen desktop while a trace is drawn, and afterwards the shaped cut-out window. It keeps
// the clean frozen picture (Form4) in a memory bitmap: the whole desktop while a trace is drawn,
// then only the piece the cut-out shows, and nothing once the cut-out is erased.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/colour.h"
#include "core/gesture_hooks.h"
#include "core/mark_scale.h"
#include "core/monitors.h"
#include "core/point.h"
#include "core/trace.h"
#include "win32/handles_win32.h"
#include "cutout/cutout.h"
#include "cutout/zoom.h"

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
  // Mouse and key events on the cut-out go to this cut-out (drag, zoom, erase, menu, copy).
  void AttachCutout(Cutout* cutout) { cutout_ = cutout; }

  // FrozenScreenWindow
  void CoverScreen() override;
  void Freeze() override;
  void DrawStartMarker(TraceMode mode, Point centre) override;
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
  Point MonitorCorner(Point screen) override;
  int DpiAt(Point screen) override;

  // CutoutWindow
  Point Position() override;
  void ShowAt(Point top_left) override;
  void MoveTo(Point top_left) override;
  // Erasing the cut-out also gives its picture back.
  void ResetShape() override;
  Point CursorPos() override;
  int PieceWidth() override { return frozen_.width(); }
  int PieceHeight() override { return frozen_.height(); }
  void Reshape(Scale scale, Orientation orientation, const Placement& placement) override;
  long long DesktopArea() override;
  void SetOpacity(int percent) override;
  FrozenImage& ShownPiece() override { return shown_image_; }

  // FrozenImage, in screen pixels.
  SaveRect Extent() override;
  void ReadRow(int x, int y, int width, std::uint8_t* bgr) override;

 private:
  // What has been drawn over the frozen screen since the last freeze, in surface pixels,
  // replayed on paint so the window keeps it while hidden without a second full-screen bitmap.
  struct Mark {
    enum class Kind { kIcon, kArrow, kLine } kind;
    Point a;
    Point b;
    Rgb colour;
    int code = 0;
    int size = 0;  // the side of an icon or arrow, the width of a line
  };
  struct Label {
    std::wstring caption;
    RECT rect;
  };

  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void Paint();
  // The start marker and the arrow strip drawn at `side` pixels, from the resources.
  void LoadMarkImages(int side);
  void AddMark(const Mark& mark);
  void DrawMark(HDC dc, const Mark& mark);
  void DrawLabel(HDC dc);
  void InvalidateLabel();
  void CreateLabelFont(int dpi);
  Rect FrozenRect() const;
  void KeepPiece(const Rect& piece);
  void ReleasePicture();
  Point Reachable(Point top_left);
  // The piece turned or mirrored as the window shows it, one to one.
  class ShownImage : public FrozenImage {
   public:
    explicit ShownImage(const CanvasWindow& canvas) : canvas_(canvas) {}
    SaveRect Extent() override;
    void ReadRow(int x, int y, int width, std::uint8_t* bgr) override;

   private:
    const CanvasWindow& canvas_;
  };

  // What the window shows its piece from: the turned copy, or the frozen piece itself.
  const DibSurface& Shown() const { return orientation_.IsIdentity() ? frozen_ : turned_; }
  // The window's shape: the piece's outline turned and at the window's scale; empty when it
  // encloses nothing.
  UniqueRegion OutlineRegion() const;
  // The outline drawn along the inside of the shape while the cursor is over the cut-out.
  void DrawEdge(HDC dc);
  void OnMouseOver();
  // Gives the window its shape; throws Win32Error, the old shape kept, when the system refuses.
  void SetShape(UniqueRegion region, bool redraw);
  bool ClipTo(std::span<const Point> outline);
  void TakeFocus();
  void RaiseOwnBoxes();

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;  // recorded at creation; window_ owns it
  UniqueWindow window_;
  DibSurface frozen_;
  // The screen position of the frozen picture's corner, which is also the window's corner until
  // the finished cut-out moves away from where it was drawn.
  Point origin_;
  bool holds_cutout_ = false;
  // The cut-out's outline in piece pixels (none: the whole piece shows), its zoom and turn.
  std::vector<Point> piece_outline_;
  Scale scale_;
  Orientation orientation_;
  DibSurface turned_;  // the piece as turned or mirrored; empty while upright
  ShownImage shown_image_{*this};
  bool cursor_over_ = false;
  // The marks' images, at the side of the latest trace's monitor scale or the next larger one.
  UniqueIcon icon_;
  UniqueMemoryDc arrows_dc_;
  UniqueBitmap arrows_;
  HGDIOBJ arrows_previous_ = nullptr;
  int mark_image_side_ = 0;
  // The scale of the monitor where the current trace began.
  int marks_dpi_ = kDesignDpi;
  UniqueFont label_font_;  // made when a label is first shown, for its monitor's DPI
  int label_font_dpi_ = 0;

  bool cover_on_show_ = false;
  std::vector<Mark> marks_;
  std::optional<Label> label_;
  Cutout* cutout_ = nullptr;
};

}  // namespace petariko
