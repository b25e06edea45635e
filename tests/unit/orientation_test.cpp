#include "cutout/orientation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace petariko {
namespace {

// The 3 x 2 picture "ABC/DEF" as `orientation` shows it, row by row.
std::string Shown(Orientation orientation) {
  const std::vector<std::uint32_t> in{'A', 'B', 'C', 'D', 'E', 'F'};
  const int width = orientation.ShownWidth(3, 2), height = orientation.ShownHeight(3, 2);
  std::vector<std::uint32_t> out(6, '.');
  OrientPixels(in.data(), 3, 2, 3, orientation, out.data(), width);
  std::string rows;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) rows += static_cast<char>(out[y * width + x]);
    rows += y + 1 < height ? "/" : "";
  }
  return rows;
}

TEST(OrientationTest, TurnsAndFlipsMoveEveryPixelWhereTheScreenShowsIt) {
  const Orientation none;
  EXPECT_EQ(Shown(none), "ABC/DEF");
  EXPECT_EQ(Shown(none.TurnedRight()), "DA/EB/FC");
  EXPECT_EQ(Shown(none.TurnedLeft()), "CF/BE/AD");
  EXPECT_EQ(Shown(none.FlippedLeftRight()), "CBA/FED");
  EXPECT_EQ(Shown(none.FlippedTopBottom()), "DEF/ABC");
  // A flip after a turn flips what is shown, not the picture.
  EXPECT_EQ(Shown(none.TurnedRight().FlippedLeftRight()), "AD/BE/CF");
  EXPECT_EQ(Shown(none.TurnedLeft().TurnedLeft()), Shown(none.FlippedLeftRight().FlippedTopBottom()));
  EXPECT_TRUE(none.TurnedRight().TurnedLeft().IsIdentity());
  EXPECT_TRUE(none.FlippedTopBottom().FlippedTopBottom().IsIdentity());
  EXPECT_TRUE(none.TurnedRight().TurnedRight().TurnedRight().TurnedRight().IsIdentity());
}

TEST(OrientationTest, TheOutlineTurnsWithThePicture) {
  // A right triangle in a 30 x 20 piece: its right angle at the top-left corner.
  const std::vector<Point> outline{{0, 0}, {30, 0}, {0, 20}};
  const Orientation right = Orientation().TurnedRight();
  EXPECT_EQ(right.MapOutline(outline, 30, 20), (std::vector<Point>{{20, 0}, {20, 30}, {0, 0}}));
  EXPECT_EQ(Orientation().FlippedTopBottom().MapOutline(outline, 30, 20),
            (std::vector<Point>{{0, 20}, {30, 20}, {0, 0}}));
  // The pixel inside the right angle lands inside the turned angle.
  EXPECT_EQ(right.MapPixel({0, 0}, 30, 20), (Point{19, 0}));
}

}  // namespace
}  // namespace petariko
