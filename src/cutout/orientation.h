// How a cut-out shows its piece: turned by quarter turns and mirrored, the eight ways a
// rectangle maps onto itself. The picture, its outline and the window's size turn together.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/point.h"

namespace petariko {

class Orientation {
 public:
  // Quarter turns as seen on the screen, and mirror images about the vertical and horizontal axes.
  Orientation TurnedLeft() const { return Then(0, 1, -1, 0); }
  Orientation TurnedRight() const { return Then(0, -1, 1, 0); }
  Orientation FlippedLeftRight() const { return Then(-1, 0, 0, 1); }
  Orientation FlippedTopBottom() const { return Then(1, 0, 0, -1); }

  bool IsIdentity() const { return a_ == 1 && b_ == 0 && c_ == 0 && d_ == 1; }
  // True after an odd number of quarter turns: the shown piece is as wide as the picture is tall.
  bool SwapsSides() const { return a_ == 0; }
  int ShownWidth(int width, int height) const { return SwapsSides() ? height : width; }
  int ShownHeight(int width, int height) const { return SwapsSides() ? width : height; }

  // Where the corner point `p` of a width x height picture lies in the shown piece.
  Point MapCorner(Point p, int width, int height) const;
  // Where pixel `p` of a width x height picture shows.
  Point MapPixel(Point p, int width, int height) const;
  std::vector<Point> MapOutline(std::span<const Point> outline, int width, int height) const;

  friend bool operator==(const Orientation&, const Orientation&) = default;

 private:
  // The new orientation: this one, then the one with the matrix (a b; c d) in screen axes.
  Orientation Then(int a, int b, int c, int d) const;
  // About the centre, in doubled coordinates so that half pixels stay whole: (x, y) -> (ax + by, cx + dy).
  Point MapDoubled(int x2, int y2) const { return {a_ * x2 + b_ * y2, c_ * x2 + d_ * y2}; }

  int a_ = 1, b_ = 0, c_ = 0, d_ = 1;
};

// Copies a width x height picture of 32-bit pixels (rows top-down, `stride` pixels apart) into
// `out` as `orientation` shows it: ShownWidth x ShownHeight pixels, rows `out_stride` apart.
void OrientPixels(const std::uint32_t* in, int width, int height, int stride, Orientation orientation,
                  std::uint32_t* out, int out_stride);

}  // namespace petariko
