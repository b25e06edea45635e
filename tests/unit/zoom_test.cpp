#include "cutout/zoom.h"

#include <gtest/gtest.h>

#include <cmath>

namespace petariko {
namespace {

TEST(ZoomTest, NotchesWalkTheStepsWithinTheLimitsAndCtrlZeroReturnsToOneToOne) {
  CutoutZoom zoom(200, 100, 1'000'000);
  std::vector<int> widths;
  for (int i = 0; i < 7; ++i) widths.push_back((zoom.Wheel(CutoutZoom::kWheelNotch, {}, {}), zoom.Width()));
  EXPECT_EQ(widths, (std::vector<int>{250, 300, 400, 600, 800, 800, 800}));
  EXPECT_FALSE(zoom.Wheel(CutoutZoom::kWheelNotch, {}, {})) << "nothing moves at 400 %";
  ASSERT_TRUE(zoom.Reset({}));
  EXPECT_FALSE(zoom.Reset({}));
  EXPECT_FALSE(zoom.Wheel(-60, {}, {})) << "half a notch of a fine wheel";
  ASSERT_TRUE(zoom.Wheel(-60, {}, {}));
  EXPECT_EQ(zoom.scale(), (Scale{3, 4}));
  zoom.Wheel(-20 * CutoutZoom::kWheelNotch, {}, {});
  EXPECT_EQ(zoom.scale(), (Scale{1, 4}));
  EXPECT_EQ(zoom.Height(), 25);
}

TEST(ZoomTest, EnlargingStopsAtTheLastStepWithinTheBounds) {
  // A whole-desktop piece of three 4K monitors side by side: 3x would be 34,560 pixels wide.
  const long long desktop = 11520LL * 2160;
  CutoutZoom wide(11520, 2160, kMaxZoomDesktops * desktop);
  wide.Wheel(10 * CutoutZoom::kWheelNotch, {}, {});
  EXPECT_EQ(wide.scale(), (Scale{2, 1}));
  EXPECT_FALSE(wide.Wheel(CutoutZoom::kWheelNotch, {}, {}));
  // The area bound: 2x of 1000 x 1000 would be four million pixels.
  CutoutZoom square(1000, 1000, 3'000'000);
  square.Wheel(10 * CutoutZoom::kWheelNotch, {}, {});
  EXPECT_EQ(square.scale(), (Scale{3, 2}));
  ASSERT_TRUE(square.Wheel(-CutoutZoom::kWheelNotch, {}, {})) << "reducing is always taken";
  EXPECT_EQ(square.scale(), (Scale{5, 4}));
}

// The picture coordinate the window's pixel at screen position x shows.
double PictureAt(int x, int corner, int shown, int piece) { return (x - corner + 0.5) * piece / shown; }

TEST(ZoomTest, EveryStepChangeKeepsThePictureUnderTheCursor) {
  const int piece = 101;
  for (int step = 0; step < kZoomStepCount; ++step) {
    for (int to : {step - 1, step + 1, kZoomStepOneToOne}) {
      if (to < 0 || to >= kZoomStepCount || to == step) continue;
      const Scale from = kZoomSteps[step], scale = kZoomSteps[to];
      const int corner = -517, shown = ScaleLength(piece, from);
      for (int cursor = corner; cursor < corner + shown; ++cursor) {
        const Placement p = ZoomAround({corner, 0}, from, scale, {cursor, 0}, piece, piece);
        ASSERT_EQ(p.width, ScaleLength(piece, scale));
        const double before = PictureAt(cursor, corner, shown, piece);
        const double after = PictureAt(cursor, p.top_left.x, p.width, piece);
        if (scale.num >= scale.den) {
          ASSERT_EQ(std::floor(before), std::floor(after)) << step << ">" << to << " at " << cursor;
        } else {  // a window pixel spans several picture pixels: the point moves by less than one
          ASSERT_LT(std::abs(before - after), 1.0 * piece / p.width) << step << ">" << to << " at " << cursor;
        }
      }
    }
  }
  EXPECT_EQ(ZoomAround({100, 100}, {1, 1}, {2, 1}, {110, 120}, 50, 40), (Placement{{90, 80}, 100, 80}));
}

TEST(ZoomTest, TheScaledOutlineRoundsHalfUpAndReachesTheWindowsEdges) {
  const std::vector<Point> outline{{0, 0}, {3, 5}, {7, -2}};
  EXPECT_EQ(ScaleOutline(outline, {1, 3}), (std::vector<Point>{{0, 0}, {1, 2}, {2, -1}}));
  EXPECT_EQ(ScaleOutline(outline, {3, 2}), (std::vector<Point>{{0, 0}, {5, 8}, {11, -3}}));
  for (const Scale s : kZoomSteps) {
    EXPECT_EQ(ScaleOutline(std::vector<Point>{{101, 37}}, s)[0], (Point{ScaleLength(101, s), ScaleLength(37, s)}));
  }
}

}  // namespace
}  // namespace petariko
