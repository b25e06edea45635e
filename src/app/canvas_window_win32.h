// Form1 as a window on the screen: the canvas over the whole desktop (every monitor) that shows
// the frozen desktop while a trace is drawn, and afterwards the shaped cut-out window. It keeps
// the clean frozen picture (Form4) in a memory bitmap: the whole desktop while a trace is drawn,
// then only the piece the cut-out shows, and nothing once the cut-out is erased.
#pragma once

#include <windows.h>

#include <span>

#include "app/trace_input_win32.h"
#include "app/trace_marks_win32.h"
#include "core/colour.h"
#include "core/monitors.h"
#include "core/point.h"
#include "core/trace.h"
#include "cutout/cutout.h"
#include "cutout/cutout_shape_win32.h"
#include "cutout/zoom.h"
#include "win32/dib_surface_win32.h"
#include "win32/handles_win32.h"

namespace petariko {

class CanvasWindow : public FrozenScreenWindow, public CutoutWindow, public FrozenImage {
 public:
  // Esc during a trace is heard through `escape`.
  CanvasWindow(HINSTANCE instance, EscapeKey& escape);
  ~CanvasWindow() override;
  CanvasWindow(const CanvasWindow&) = delete;
  CanvasWindow& operator=(const CanvasWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  // Mouse and key events on the cut-out go to this cut-out (drag, zoom, erase, menu, copy).
  void AttachCutout(Cutout* cutout) { cutout_ = cutout; }
  // The gesture's arrows and label, drawn over the frozen screen.
  GestureSurface& Marks() { return marks_; }

  // FrozenScreenWindow
  void PrepareFreeze() override;
  void DropPreparedFreeze() override;
  void CoverScreen() override;
  void Freeze() override;
  void DrawStartMarker(TraceMode mode, Point centre) override;
  void DrawLine(Point from, Point to, Rgb colour) override;
  void Show() override;
  void Hide() override;
  void WipeToFrozen() override;
  bool ClipToOutline(std::span<const Point> outline) override;
  void MoveBy(int dx, int dy) override;

  // CutoutWindow
  Point Position() override;
  void ShowAt(Point top_left) override;
  void MoveTo(Point top_left) override;
  // Erasing the cut-out also gives its picture back.
  void ResetShape() override;
  Point CursorPos() override;
  int PieceWidth() override { return frozen_.width(); }
  int PieceHeight() override { return frozen_.height(); }
  void Reshape(Scale scale, Orientation orientation, const Placement& placement) override {
    shape_.Reshape(scale, orientation, placement);
  }
  long long DesktopArea() override;
  void SetOpacity(int percent) override { shape_.SetOpacity(percent); }
  FrozenImage& ShownPiece() override { return shape_.ShownPiece(); }

  // FrozenImage, in screen pixels.
  SaveRect Extent() override;
  void ReadRow(int x, int y, int width, std::uint8_t* bgr) override;

 private:
  // Registers the window class and makes the window, recording it in hwnd_.
  UniqueWindow CreateCanvas();
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void Paint();
  Rect FrozenRect() const;
  void KeepPiece(const Rect& piece);
  void ReleasePicture();
  // The trace is over: Esc is no longer the screen's, the mouse goes back once no button is down.
  void EndTraceInput();
  Point Reachable(Point top_left);
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
  bool cover_on_show_ = false;
  // The desktop-sized picture was made for a hold that has not frozen yet.
  bool freeze_prepared_ = false;
  // A paint failed part-way: the next one draws the whole window.
  bool paint_whole_ = false;
  EscapeKey& escape_;
  TraceCapture capture_;
  TraceMarks marks_;
  CutoutShape shape_;
  Cutout* cutout_ = nullptr;
};

}  // namespace petariko
