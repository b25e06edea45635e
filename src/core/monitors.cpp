#include "core/monitors.h"

#include <algorithm>
#include <cstdint>

namespace petariko {
namespace {

// How far [low, high) lies from [other_low, other_high) along one axis; 0 when they overlap.
std::int64_t Gap(int low, int high, int other_low, int other_high) {
  if (high <= other_low) return static_cast<std::int64_t>(other_low) - high + 1;
  if (other_high <= low) return static_cast<std::int64_t>(low) - other_high + 1;
  return 0;
}

std::int64_t SquaredDistance(const Rect& a, const Rect& b) {
  const std::int64_t dx = Gap(a.left, a.right, b.left, b.right);
  const std::int64_t dy = Gap(a.top, a.bottom, b.top, b.bottom);
  return dx * dx + dy * dy;
}

const Rect& Nearest(const Rect& area, std::span<const Rect> monitors) {
  // The first of equally near monitors wins, so the answer does not depend on rounding.
  return *std::min_element(monitors.begin(), monitors.end(), [&](const Rect& a, const Rect& b) {
    return SquaredDistance(area, a) < SquaredDistance(area, b);
  });
}

int Clamp(int value, int low, int high) { return std::max(low, std::min(value, high)); }

}  // namespace

Rect VirtualScreen(std::span<const Rect> monitors) {
  if (monitors.empty()) return {};
  Rect all = monitors.front();
  for (const Rect& m : monitors) {
    all.left = std::min(all.left, m.left);
    all.top = std::min(all.top, m.top);
    all.right = std::max(all.right, m.right);
    all.bottom = std::max(all.bottom, m.bottom);
  }
  return all;
}

const Rect& MonitorOf(Point p, std::span<const Rect> monitors) {
  return Nearest({p.x, p.y, p.x + 1, p.y + 1}, monitors);
}

Point BringBack(const Rect& window, std::span<const Rect> monitors) {
  if (monitors.empty()) return window.corner();
  const Rect& nearest = Nearest(window, monitors);
  if (SquaredDistance(window, nearest) == 0) return window.corner();
  // The least move that shows the whole window; when it is larger, its corner stays visible.
  return {Clamp(window.left, nearest.left, std::max(nearest.left, nearest.right - window.width())),
          Clamp(window.top, nearest.top, std::max(nearest.top, nearest.bottom - window.height()))};
}

Rect OutlinePiece(std::span<const Point> outline, const Rect& frozen) {
  if (outline.size() < 3) return frozen;
  Rect bounds{outline.front().x, outline.front().y, outline.front().x, outline.front().y};
  for (const Point& p : outline) {
    bounds.left = std::min(bounds.left, p.x);
    bounds.top = std::min(bounds.top, p.y);
    bounds.right = std::max(bounds.right, p.x);
    bounds.bottom = std::max(bounds.bottom, p.y);
  }
  return {std::max(bounds.left, frozen.left), std::max(bounds.top, frozen.top), std::min(bounds.right, frozen.right),
          std::min(bounds.bottom, frozen.bottom)};
}

}  // namespace petariko
