#include "core/mark_scale.h"

#include <algorithm>

namespace petariko {

int ScaleToDpi(int design, int dpi) {
  return static_cast<int>((static_cast<long long>(design) * dpi + kDesignDpi / 2) / kDesignDpi);
}

Point ScaleToDpi(Point design, int dpi) { return {ScaleToDpi(design.x, dpi), ScaleToDpi(design.y, dpi)}; }

Point MarkerCorner(Point centre, int dpi) {
  const int half = MarkSide(dpi) / 2;
  return {centre.x - half, centre.y - half};
}

int PenWidth(int dpi) { return std::max(1, ScaleToDpi(1, dpi)); }

int MarkImageSide(int side) {
  const auto* found = std::lower_bound(std::begin(kMarkImageSides), std::end(kMarkImageSides), side);
  return found == std::end(kMarkImageSides) ? kMarkImageSides[kMarkImageCount - 1] : *found;
}

}  // namespace petariko
