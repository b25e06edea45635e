#include "cutout/zoom.h"

#include <algorithm>
#include <cstdint>

namespace petariko {
namespace {

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {  // b > 0
  return a / b - ((a % b != 0) && (a < 0));
}

int Scaled(int v, Scale scale) {  // rounded half up
  const std::int64_t den = scale.den;
  return static_cast<int>(FloorDiv(2 * static_cast<std::int64_t>(v) * scale.num + den, 2 * den));
}

// One axis of ZoomAround. The window shows a piece of `piece` pixels in `shown_from` window
// pixels, then in `shown_to`: these ratios, not the nominal scale, are what the stretch does.
int AnchoredCorner(int corner, int anchor, int piece, int shown_from, int shown_to) {
  const std::int64_t a = shown_from, b = piece, p = shown_to, q = piece;
  const std::int64_t c = anchor, offset = 2 * (static_cast<std::int64_t>(anchor) - corner) + 1;
  // The anchor pixel's centre c + 1/2 shows the picture point u = (c + 1/2 - corner) / (a/b);
  // the new corner puts u there again: c + 1/2 - u * p/q, rounded.
  const std::int64_t den = 2 * a * q;
  std::int64_t result = FloorDiv((2 * c + 1) * a * q - offset * b * p + a * q, den);
  if (p >= q) {
    // Enlarging: keep the very picture pixel i under the anchor, which rounding alone could
    // swap for its neighbour.
    const std::int64_t i = FloorDiv(offset * b, 2 * a);
    const std::int64_t highest = FloorDiv((2 * c + 1) * q - 2 * i * p, 2 * q);
    const std::int64_t lowest = FloorDiv((2 * c + 1) * q - 2 * (i + 1) * p, 2 * q) + 1;
    result = std::clamp(result, lowest, highest);
  }
  return static_cast<int>(result);
}

}  // namespace

int StepAfter(int step, int notches) { return std::clamp(step + notches, 0, kZoomStepCount - 1); }

int ScaleLength(int length, Scale scale) {
  return length > 0 ? std::max(Scaled(length, scale), 1) : Scaled(length, scale);
}

Placement ZoomAround(Point top_left, Scale from, Scale to, Point anchor, int piece_width, int piece_height) {
  Placement placement;
  placement.width = ScaleLength(piece_width, to);
  placement.height = ScaleLength(piece_height, to);
  placement.top_left.x =
      AnchoredCorner(top_left.x, anchor.x, piece_width, ScaleLength(piece_width, from), placement.width);
  placement.top_left.y =
      AnchoredCorner(top_left.y, anchor.y, piece_height, ScaleLength(piece_height, from), placement.height);
  return placement;
}

std::vector<Point> ScaleOutline(std::span<const Point> outline, Scale scale) {
  std::vector<Point> scaled;
  scaled.reserve(outline.size());
  for (const Point& p : outline) scaled.push_back({Scaled(p.x, scale), Scaled(p.y, scale)});
  return scaled;
}

StretchQuality QualityFor(Scale scale) {
  return scale.num >= scale.den ? StretchQuality::kCrisp : StretchQuality::kSmooth;
}

std::optional<Placement> CutoutZoom::Wheel(int delta, Point top_left, Point cursor) {
  wheel_rest_ += delta;
  const int notches = wheel_rest_ / kWheelNotch;
  wheel_rest_ -= notches * kWheelNotch;
  int step = StepAfter(step_, notches);
  while (step > step_ && !Fits(step)) --step;
  return GoTo(step, top_left, cursor);
}

bool CutoutZoom::Fits(int step) const {
  const long long width = ScaleLength(piece_width_, kZoomSteps[step]);
  const long long height = ScaleLength(piece_height_, kZoomSteps[step]);
  return width <= kMaxWindowSide && height <= kMaxWindowSide && width * height <= max_area_;
}

std::optional<Placement> CutoutZoom::Reset(Point top_left) {
  wheel_rest_ = 0;
  return GoTo(kZoomStepOneToOne, top_left, {top_left.x + Width() / 2, top_left.y + Height() / 2});
}

std::optional<Placement> CutoutZoom::GoTo(int step, Point top_left, Point anchor) {
  if (step == step_) return std::nullopt;
  const Scale from = scale();
  step_ = step;
  return ZoomAround(top_left, from, scale(), anchor, piece_width_, piece_height_);
}

}  // namespace petariko
