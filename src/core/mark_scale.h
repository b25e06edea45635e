// The marks a trace draws over the frozen screen (the start marker, the arrows and their places,
// the label's place, the pen) are designed in pixels at 96 dots per inch. On a monitor of a larger
// scale they grow with it, so that they look the same size there; at 96 they are as designed.
#pragma once

#include <iterator>

#include "core/point.h"

namespace petariko {

inline constexpr int kDesignDpi = 96;
// The side of the start marker and of an arrow cell at 96 dpi.
inline constexpr int kMarkDesignSide = 32;
// The sides at which the resources hold the start marker and the arrow strip, smallest first:
// 100, 125, 150, 200, 300 and 400 %.
inline constexpr int kMarkImageSides[] = {32, 40, 48, 64, 96, 128};
inline constexpr int kMarkImageCount = static_cast<int>(std::size(kMarkImageSides));

// `design` pixels (0 or more) at 96 dpi as pixels at `dpi`, to the nearest pixel, halves up.
int ScaleToDpi(int design, int dpi);
Point ScaleToDpi(Point design, int dpi);

// The side of the start marker and of an arrow cell at `dpi`.
inline int MarkSide(int dpi) { return ScaleToDpi(kMarkDesignSide, dpi); }
// The corner of the start marker centred on `centre` at `dpi`.
Point MarkerCorner(Point centre, int dpi);
// The trace's pen: 1 pixel at 100 %, never thinner.
int PenWidth(int dpi);

// The image a mark of `side` pixels is drawn from: the one of that side, else the smallest
// larger one, reduced (a reduction keeps the edges smooth where an enlargement would make
// steps), else the largest.
int MarkImageSide(int side);

}  // namespace petariko
