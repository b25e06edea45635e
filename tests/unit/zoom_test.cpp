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
  constexpr long long kAny = 1LL << 40;
  constexpr int kNotch = CutoutZoom::kWheelNotch;
  const struct {
    int width, height;
    long long max_area;
    int notches_down, notches_up;
    Scale expected;
  } cases[] = {
      // 2/3 of 49,151 is a side of 32,767 pixels, the longest a window has; of 49,152 one more.
      {49151, 10, kAny, 3, 1, {2, 3}},
      {49152, 10, kAny, 3, 1, {1, 2}},
      {10, 49151, kAny, 3, 1, {2, 3}},
      {10, 49152, kAny, 3, 1, {1, 2}},
      {49151, 10, kAny, 1, 0, {3, 4}},  // reducing is always taken, even to a window still too large
      // The area bound: 5/4 of 1000 x 800 is 1250 x 1000.
      {1000, 800, 1'250'000, 0, 10, {5, 4}},
      {1000, 800, 1'249'999, 0, 10, {1, 1}},
      // A whole-desktop piece of three 4K monitors side by side: 3x would be 34,560 pixels wide.
      {11520, 2160, kMaxZoomDesktops * 11520 * 2160, 0, 10, {2, 1}},
  };
  for (const auto& c : cases) {
    CutoutZoom zoom(c.width, c.height, c.max_area);
    if (c.notches_down > 0) zoom.Wheel(-c.notches_down * kNotch, {}, {});
    if (c.notches_up > 0) zoom.Wheel(c.notches_up * kNotch, {}, {});
    EXPECT_EQ(zoom.scale(), c.expected) << c.width << "x" << c.height << " within " << c.max_area;
  }
}

// The picture coordinate the window's pixel at screen position x shows.
double PictureAt(int x, int corner, int shown, int piece) { return (x - corner + 0.5) * piece / shown; }

TEST(ZoomTest, EveryStepChangeKeepsThePictureUnderTheCursorInBothAxes) {
  const int piece_width = 101, piece_height = 37;
  const Point corner{-517, 211};
  // One axis: the picture point under the cursor before and after.
  const auto expect_kept = [](Scale to, int cursor, int before_corner, int before_shown, int after_corner,
                              int after_shown, int piece) {
    const double before = PictureAt(cursor, before_corner, before_shown, piece);
    const double after = PictureAt(cursor, after_corner, after_shown, piece);
    if (to.num >= to.den) {
      EXPECT_EQ(std::floor(before), std::floor(after));
    } else {  // a window pixel spans several picture pixels: the point moves by less than one
      EXPECT_LT(std::abs(before - after), 1.0 * piece / after_shown);
    }
  };
  for (int step = 0; step < kZoomStepCount; ++step) {
    for (int to : {step - 1, step + 1, kZoomStepOneToOne}) {
      if (to < 0 || to >= kZoomStepCount || to == step) continue;
      const Scale from = kZoomSteps[step], scale = kZoomSteps[to];
      const int shown_width = ScaleLength(piece_width, from), shown_height = ScaleLength(piece_height, from);
      for (int i = 0; i < shown_width; ++i) {
        const Point cursor{corner.x + i, corner.y + (i * 7) % shown_height};
        SCOPED_TRACE(::testing::Message() << step << ">" << to << " at " << cursor.x << "," << cursor.y);
        const Placement p = ZoomAround(corner, from, scale, cursor, piece_width, piece_height);
        ASSERT_EQ(p.width, ScaleLength(piece_width, scale));
        ASSERT_EQ(p.height, ScaleLength(piece_height, scale));
        expect_kept(scale, cursor.x, corner.x, shown_width, p.top_left.x, p.width, piece_width);
        expect_kept(scale, cursor.y, corner.y, shown_height, p.top_left.y, p.height, piece_height);
        if (::testing::Test::HasFailure()) return;
      }
    }
  }
  EXPECT_EQ(ZoomAround({100, 100}, {1, 1}, {2, 1}, {110, 120}, 50, 40), (Placement{{90, 80}, 100, 80}));
  // Ctrl+0 keeps the window's centre: (207, 97) for 400 x 200 at (7, -3).
  CutoutZoom zoom(200, 100, 1'000'000);
  zoom.Wheel(3 * CutoutZoom::kWheelNotch, {}, {});
  EXPECT_EQ(zoom.Reset({7, -3}), (Placement{{107, 47}, 200, 100}));
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
