// How the cut-out window shows its piece: the outline as the window's shape (with a fallback
// for shapes the window system refuses), zoom and turns, see-through, and the edge drawn while
// the cursor is over it.
#pragma once

#include <windows.h>

#include <span>
#include <vector>

#include "core/point.h"
#include "cutout/cutout.h"
#include "cutout/orientation.h"
#include "cutout/zoom.h"
#include "win32/dib_surface_win32.h"
#include "win32/handles_win32.h"

namespace petariko {

class CutoutShape {
 public:
  // `window` shows `piece`, the frozen picture the cut-out keeps; both outlive the shape.
  CutoutShape(HWND window, const DibSurface& piece) : window_(window), piece_(piece) {}
  CutoutShape(const CutoutShape&) = delete;
  CutoutShape& operator=(const CutoutShape&) = delete;

  // Shapes the window to `outline` (in piece pixels); fewer than three points leave it whole.
  // False, the window unshaped, when the outline encloses nothing; throws Win32Error.
  bool SetOutline(std::span<const Point> outline);
  // Sizes, places and shapes the window for a zoom and a turn; throws, nothing changed, on failure.
  void Reshape(Scale scale, Orientation orientation, const Placement& placement);
  void SetOpacity(int percent);
  // Back to a plain, opaque, upright window at 100 %, the turned copy given back.
  void Reset();

  // What the window shows its piece from: the turned copy, or the frozen piece itself.
  const DibSurface& Shown() const { return orientation_.IsIdentity() ? piece_ : turned_; }
  const Scale& scale() const { return scale_; }
  // The piece turned or mirrored as the window shows it, one to one.
  FrozenImage& ShownPiece() { return shown_image_; }

  // The cursor moved over the window, or left it: the edge shows while it is over.
  void OnCursorOver();
  void OnCursorLeft();
  // The outline drawn along the inside of the shape, when the cursor is over the window.
  void DrawEdge(HDC dc);

 private:
  class ShownImage : public FrozenImage {
   public:
    explicit ShownImage(const CutoutShape& shape) : shape_(shape) {}
    SaveRect Extent() override;
    void ReadRow(int x, int y, int width, std::uint8_t* bgr) override;

   private:
    const CutoutShape& shape_;
  };

  // The outline turned and at the window's scale; empty when it encloses nothing.
  UniqueRegion OutlineRegion() const;
  // Gives the window its shape; throws Win32Error, the old shape kept, when the system refuses.
  void SetShape(UniqueRegion region, bool redraw);

  HWND window_;
  const DibSurface& piece_;
  // The outline in piece pixels (none: the whole piece shows), the zoom and the turn.
  std::vector<Point> outline_;
  Scale scale_;
  Orientation orientation_;
  DibSurface turned_;  // the piece as turned or mirrored; empty while upright
  ShownImage shown_image_{*this};
  bool cursor_over_ = false;
};

}  // namespace petariko
