// The desktop as a set of monitor rectangles in screen pixels: the virtual screen they make up,
// which monitor a point is on, and keeping a window reachable when the monitors change. Screen
// pixels may be negative (a monitor left of or above the primary).
#pragma once

#include <span>

#include "core/point.h"

namespace petariko {

// From (left, top) inclusive to (right, bottom) exclusive.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
  Point corner() const { return {left, top}; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// The smallest rectangle that holds every monitor; empty for no monitor.
Rect VirtualScreen(std::span<const Rect> monitors);

// The monitor that shows p, or the nearest one when p lies on none (in a gap between
// monitors). `monitors` must not be empty.
const Rect& MonitorOf(Point p, std::span<const Rect> monitors);

// A screen position as a pixel of a surface whose corner is at `corner` on the screen.
inline Point ToSurface(Point screen, Point corner) { return {screen.x - corner.x, screen.y - corner.y}; }

// Where a window of rectangle `window` belongs after the monitors have changed: where it is
// while any part of it is on a monitor; otherwise moved onto the nearest monitor, fully when
// it fits and with its top-left corner on it when it does not. Returns the new top-left.
Point BringBack(const Rect& window, std::span<const Rect> monitors);

// The part of the frozen desktop that a finished outline keeps: every pixel its polygon can
// show, within the frozen desktop. A polygon leaves its right and bottom edges outside, so the
// points' greatest column and row are not part of it, as in the save's rectangle; a column
// more would make a turned copy a pixel larger and shift a mirrored shape by one. With fewer
// than three points there is no polygon and the whole frozen desktop is kept.
Rect OutlinePiece(std::span<const Point> outline, const Rect& frozen);

}  // namespace petariko
