#include "cutout/zoom.h"

#include <gtest/gtest.h>

#include <cmath>

namespace petariko {
namespace {

TEST(ZoomTest, NotchesWalkTheStepsWithinTheLimitsAndCtrlZeroReturnsToOneToOne) {
  CutoutZoom zoom(200, 100);
  const Point at{0, 0};
  std::vector<int> widths;
  for (int i = 0; i < 7; ++i) {
    zoom.Wheel(CutoutZoom::kWheelNotch, at, at);
    widths.push_back(zoom.Width());
  }
  EXPECT_EQ(widths, (std::vector<int>{250, 300, 400, 600, 800, 800, 800}));
  EXPECT_FALSE(zoom.Wheel(CutoutZoom::kWheelNotch, at, at)) << "nothing moves at 400 %";
  EXPECT_EQ(QualityFor(zoom.scale()), StretchQuality::kCrisp);

  ASSERT_TRUE(zoom.Reset(at));
  EXPECT_EQ(zoom.scale(), (Scale{1, 1}));
  EXPECT_FALSE(zoom.Reset(at));

  // A fine wheel's parts of a notch add up; a whole turn down stops at 25 %.
  EXPECT_FALSE(zoom.Wheel(-60, at, at));
  ASSERT_TRUE(zoom.Wheel(-60, at, at));
  EXPECT_EQ(zoom.scale(), (Scale{3, 4}));
  EXPECT_EQ(QualityFor(zoom.scale()), StretchQuality::kSmooth);
  zoom.Wheel(-20 * CutoutZoom::kWheelNotch, at, at);
  EXPECT_EQ(zoom.scale(), (Scale{1, 4}));
  EXPECT_EQ(zoom.Height(), 25);
}

TEST(ZoomTest, OneNotchUpAroundTheCursor) {
  // Piece pixel (10, 20) is under the cursor; at 200 % its left half stays under it.
  EXPECT_EQ(ZoomAround({100, 100}, {1, 1}, {2, 1}, {110, 120}, 50, 40), (Placement{{90, 80}, 100, 80}));
}

// The picture coordinate the window's pixel at screen x shows, as a stretch samples it.
double PictureAt(int x, int corner, int shown, int piece) { return (x - corner + 0.5) * piece / shown; }

TEST(ZoomTest, EveryStepChangeKeepsThePictureUnderTheCursor) {
  const int piece_width = 101, piece_height = 37;
  for (int step = 0; step < kZoomStepCount; ++step) {
    for (int to : {step - 1, step + 1, kZoomStepOneToOne}) {
      if (to < 0 || to >= kZoomStepCount || to == step) continue;
      const Scale from = kZoomSteps[step], scale = kZoomSteps[to];
      const Point corner{-517, 23};
      const int width = ScaleLength(piece_width, from), height = ScaleLength(piece_height, from);
      for (int k = 0; k < width; ++k) {  // every column of the window, rows round and round
        const Point cursor{corner.x + k, corner.y + k % height};
        const Placement p = ZoomAround(corner, from, scale, cursor, piece_width, piece_height);
        ASSERT_EQ(p.width, ScaleLength(piece_width, scale));
        const double before = PictureAt(cursor.x, corner.x, width, piece_width);
        const double after = PictureAt(cursor.x, p.top_left.x, p.width, piece_width);
        const double before_y = PictureAt(cursor.y, corner.y, height, piece_height);
        const double after_y = PictureAt(cursor.y, p.top_left.y, p.height, piece_height);
        if (scale.num >= scale.den) {
          EXPECT_EQ(std::floor(before), std::floor(after)) << step << ">" << to << " x " << cursor.x;
          EXPECT_EQ(std::floor(before_y), std::floor(after_y)) << step << ">" << to << " y " << cursor.y;
        } else {
          // Reduced, a window pixel spans several picture pixels: the point moves by less than one.
          EXPECT_LT(std::abs(before - after), 1.0 * piece_width / p.width) << step << ">" << to;
          EXPECT_LT(std::abs(before_y - after_y), 1.0 * piece_height / p.height) << step << ">" << to;
        }
      }
    }
  }
}

TEST(ZoomTest, TheScaledOutlineRoundsHalfUpAndReachesTheWindowsEdges) {
  const std::vector<Point> outline{{0, 0}, {3, 5}, {7, -2}};
  EXPECT_EQ(ScaleOutline(outline, {1, 3}), (std::vector<Point>{{0, 0}, {1, 2}, {2, -1}}));
  EXPECT_EQ(ScaleOutline(outline, {3, 2}), (std::vector<Point>{{0, 0}, {5, 8}, {11, -3}}));
  for (const Scale scale : kZoomSteps) {
    const std::vector<Point> corner{{101, 37}};
    EXPECT_EQ(ScaleOutline(corner, scale), (std::vector<Point>{{ScaleLength(101, scale), ScaleLength(37, scale)}}))
        << scale.num << "/" << scale.den;
  }
}

}  // namespace
}  // namespace petariko
