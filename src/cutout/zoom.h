// The zoom of a cut-out: the scale steps the wheel walks, where the window goes so that the
// picture pixel under the cursor stays under it, and the outline at the window's scale.
#pragma once

#include <iterator>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "core/point.h"

namespace petariko {

// An exact fraction, so that 1/3 and 2/3 do not drift and whole enlargements stay whole.
struct Scale {
  int num = 1;
  int den = 1;
  friend bool operator==(const Scale&, const Scale&) = default;
};

// 25 % to 400 %: the reductions that divide evenly (1/4, 1/3, 1/2) with the usual steps
// between, and whole enlargements (2, 3, 4) where every picture pixel becomes an equal square.
inline constexpr Scale kZoomSteps[] = {{1, 4}, {1, 3}, {1, 2}, {2, 3}, {3, 4}, {1, 1},
                                       {5, 4}, {3, 2}, {2, 1}, {3, 1}, {4, 1}};
inline constexpr int kZoomStepCount = static_cast<int>(std::size(kZoomSteps));
inline constexpr int kZoomStepOneToOne = 5;

// A zoomed window stays within four times the virtual desktop's area, and within the
// longest side the system gives a window.
inline constexpr long long kMaxZoomDesktops = 4;
inline constexpr int kMaxWindowSide = 32767;

// The step `notches` away (positive: larger), held at the first and last step.
int StepAfter(int step, int notches);

// round(length * scale), at least 1 for a positive length: a piece never vanishes.
int ScaleLength(int length, Scale scale);

struct Placement {
  Point top_left;  // screen pixels
  int width = 0;
  int height = 0;
  friend bool operator==(const Placement&, const Placement&) = default;
};

// The window of a `piece_width` x `piece_height` piece shown at `from` with its corner at
// `top_left`, redone at `to` so that the picture point under `anchor` (a screen pixel) stays
// under it. When enlarging, the very picture pixel under the anchor stays under it.
Placement ZoomAround(Point top_left, Scale from, Scale to, Point anchor, int piece_width, int piece_height);

// The outline (relative to the piece's corner) at the window's scale, for the window's shape.
std::vector<Point> ScaleOutline(std::span<const Point> outline, Scale scale);

// How the window stretches the piece: enlarged pixels stay crisp squares (the GDI
// COLORONCOLOR mode), reduced ones are averaged (HALFTONE).
enum class StretchQuality { kCrisp, kSmooth };
StretchQuality QualityFor(Scale scale);

// One cut-out's zoom; a new cut-out starts a new one at 100 %.
class CutoutZoom {
 public:
  // One wheel notch in the system's units (WHEEL_DELTA).
  static constexpr int kWheelNotch = 120;

  // `max_area`: the largest window, in pixels, an enlarging step may make.
  CutoutZoom(int piece_width, int piece_height, long long max_area)
      : piece_width_(piece_width), piece_height_(piece_height), max_area_(max_area) {}

  // A wheel turn (positive: away from the user, enlarging) with the cursor at `cursor`, the
  // window's corner at `top_left`. Fine wheels send parts of a notch; they add up. The new
  // placement when the scale changed, else nothing. Enlarging stops at the last step whose
  // window fits the bounds.
  std::optional<Placement> Wheel(int delta, Point top_left, Point cursor);
  // Back to 100 % around the window's centre; nothing when already there.
  std::optional<Placement> Reset(Point top_left);

  // After a quarter turn the piece is as wide as it was tall.
  void SwapSides() { std::swap(piece_width_, piece_height_); }

  Scale scale() const { return kZoomSteps[step_]; }
  int Width() const { return ScaleLength(piece_width_, scale()); }
  int Height() const { return ScaleLength(piece_height_, scale()); }

 private:
  std::optional<Placement> GoTo(int step, Point top_left, Point anchor);
  bool Fits(int step) const;

  int piece_width_;
  int piece_height_;
  long long max_area_;
  int step_ = kZoomStepOneToOne;
  int wheel_rest_ = 0;
};

}  // namespace petariko
