#include "core/mark_scale.h"

#include <gtest/gtest.h>

namespace petariko {
namespace {

TEST(MarkScaleTest, MarksGrowWithTheScaleAndAreDrawnFromTheNearestLargerImage) {
  struct {
    int dpi, side, image_side, pen;
    Point marker;  // the corner of a start marker centred on (300, 40)
  } const cases[] = {
      {96, 32, 32, 1, {284, 24}},      // 100 %: as designed
      {144, 48, 48, 2, {276, 16}},     // 150 %
      {168, 56, 64, 2, {272, 12}},     // 175 %: reduced from the 200 % images
      {192, 64, 64, 2, {268, 8}},      // 200 %
      {480, 160, 128, 5, {220, -40}},  // 500 %: beyond the largest image
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MarkSide(c.dpi), c.side) << c.dpi;
    EXPECT_EQ(MarkImageSide(c.side), c.image_side) << c.dpi;
    EXPECT_EQ(PenWidth(c.dpi), c.pen) << c.dpi;
    EXPECT_EQ(MarkerCorner({300, 40}, c.dpi), c.marker) << c.dpi;
  }
}

}  // namespace
}  // namespace petariko
