#include "cutout/orientation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace petariko {
namespace {

// The 3 x 2 picture "ABC/DEF" as `orientation` shows it, row by row. Both buffers have a
// column of padding ('#' in, '.' out), which shows up should a row step ignore the stride.
std::string Shown(Orientation orientation) {
  const std::vector<std::uint32_t> in{'A', 'B', 'C', '#', 'D', 'E', 'F', '#'};
  const int width = orientation.ShownWidth(3, 2), height = orientation.ShownHeight(3, 2);
  std::vector<std::uint32_t> out((width + 1) * height, '.');
  OrientPixels(in.data(), 3, 2, 4, orientation, out.data(), width + 1);
  std::string rows;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x <= width; ++x) rows += static_cast<char>(out[y * (width + 1) + x]);
    rows += y + 1 < height ? "/" : "";
  }
  return rows;
}

TEST(OrientationTest, TurnsAndFlipsMoveEveryPixelWhereTheScreenShowsIt) {
  const Orientation none;
  EXPECT_EQ(Shown(none), "ABC./DEF.");
  EXPECT_EQ(Shown(none.TurnedRight()), "DA./EB./FC.");
  EXPECT_EQ(Shown(none.TurnedLeft()), "CF./BE./AD.");
  EXPECT_EQ(Shown(none.FlippedLeftRight()), "CBA./FED.");
  EXPECT_EQ(Shown(none.FlippedTopBottom()), "DEF./ABC.");
  // A flip after a turn flips what is shown, not the picture.
  EXPECT_EQ(Shown(none.TurnedRight().FlippedLeftRight()), "AD./BE./CF.");
  EXPECT_EQ(Shown(none.TurnedRight().FlippedTopBottom()), "FC./EB./DA.");
  EXPECT_EQ(Shown(none.TurnedLeft().TurnedLeft()), "FED./CBA.");
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
  // In all eight orientations a pixel's four corners land on the corners of where it shows.
  for (const Orientation o :
       {Orientation(), right, right.TurnedRight(), Orientation().TurnedLeft(), Orientation().FlippedLeftRight(),
        Orientation().FlippedTopBottom(), right.FlippedLeftRight(), right.FlippedTopBottom()}) {
    for (const Point p : {Point{0, 0}, Point{2, 0}, Point{1, 1}}) {
      const Point at = o.MapPixel(p, 3, 2);
      std::vector<Point> corners = o.MapOutline(std::vector<Point>{p, {p.x + 1, p.y + 1}}, 3, 2);
      EXPECT_EQ(std::min(corners[0].x, corners[1].x), at.x);
      EXPECT_EQ(std::min(corners[0].y, corners[1].y), at.y);
      EXPECT_EQ(std::abs(corners[0].x - corners[1].x) + std::abs(corners[0].y - corners[1].y), 2);
    }
  }
}

}  // namespace
}  // namespace petariko
