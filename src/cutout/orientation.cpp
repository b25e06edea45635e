#include "cutout/orientation.h"

namespace petariko {

Orientation Orientation::Then(int a, int b, int c, int d) const {
  Orientation next;
  next.a_ = a * a_ + b * c_;
  next.b_ = a * b_ + b * d_;
  next.c_ = c * a_ + d * c_;
  next.d_ = c * b_ + d * d_;
  return next;
}

Point Orientation::MapCorner(Point p, int width, int height) const {
  const Point q = MapDoubled(2 * p.x - width, 2 * p.y - height);
  return {(q.x + ShownWidth(width, height)) / 2, (q.y + ShownHeight(width, height)) / 2};
}

Point Orientation::MapPixel(Point p, int width, int height) const {
  // The pixel's centre maps to the centre of the pixel it lands on.
  const Point q = MapDoubled(2 * p.x + 1 - width, 2 * p.y + 1 - height);
  return {(q.x + ShownWidth(width, height) - 1) / 2, (q.y + ShownHeight(width, height) - 1) / 2};
}

std::vector<Point> Orientation::MapOutline(std::span<const Point> outline, int width, int height) const {
  std::vector<Point> shown;
  shown.reserve(outline.size());
  for (const Point& p : outline) shown.push_back(MapCorner(p, width, height));
  return shown;
}

void OrientPixels(const std::uint32_t* in, int width, int height, int stride, Orientation orientation,
                  std::uint32_t* out, int out_stride) {
  // Where the first pixel of the picture lands, and how far one step along a row and down a
  // column moves in the shown piece: every pixel is then one addition away.
  const Point origin = orientation.MapPixel({0, 0}, width, height);
  const Point across = orientation.MapPixel({1, 0}, width, height);
  const Point down = orientation.MapPixel({0, 1}, width, height);
  const long long step_x = static_cast<long long>(across.y - origin.y) * out_stride + (across.x - origin.x);
  const long long step_y = static_cast<long long>(down.y - origin.y) * out_stride + (down.x - origin.x);
  const long long first = static_cast<long long>(origin.y) * out_stride + origin.x;
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* row = in + static_cast<long long>(y) * stride;
    long long at = first + y * step_y;
    for (int x = 0; x < width; ++x, at += step_x) out[at] = row[x];
  }
}

}  // namespace petariko
