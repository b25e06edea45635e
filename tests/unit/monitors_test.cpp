#include "core/monitors.h"

#include <gtest/gtest.h>

#include <vector>

namespace petariko {
namespace {

// As Windows reports them, the primary first: one monitor left of it; a 4K one above and right of
// it across a gap; three of mixed sizes.
const std::vector<Rect> kLeft{{0, 0, 1024, 768}, {-800, 0, 0, 600}};
const std::vector<Rect> kGapAbove{{0, 0, 1920, 1080}, {2000, -2160, 5840, 0}};
const std::vector<Rect> kThree{{0, 0, 2560, 1440}, {-1280, 400, 0, 1424}, {2560, -200, 3640, 1720}};
// Two monitors 101 pixels apart: the middle column of the gap is as near to both.
const std::vector<Rect> kApart{{0, 0, 100, 100}, {201, -50, 301, 50}};

TEST(MonitorsTest, VirtualScreenAndTheMonitorOfAPointOrTheNearest) {
  EXPECT_EQ(VirtualScreen(kLeft), (Rect{-800, 0, 1024, 768}));
  EXPECT_EQ(VirtualScreen(kGapAbove), (Rect{0, -2160, 5840, 1080}));
  EXPECT_EQ(VirtualScreen(kThree), (Rect{-1280, -200, 3640, 1720}));
  const struct {
    const std::vector<Rect>& layout;
    Point p;
    int monitor;
  } cases[] = {{kLeft, {0, 0}, 0},        {kLeft, {-1, 0}, 1},        {kLeft, {-400, 700}, 1},
               {kLeft, {-10, 700}, 0},    {kGapAbove, {1960, -5}, 1}, {kGapAbove, {1930, 500}, 0},
               {kThree, {-1280, 400}, 1}, {kThree, {3000, -100}, 2},  {kThree, {2559, 1439}, 0},
               {kApart, {150, 20}, 0},    {kApart, {151, 20}, 1},     {kApart, {150, 75}, 0}};
  for (const auto& c : cases) EXPECT_EQ(&MonitorOf(c.p, c.layout), &c.layout[c.monitor]) << c.p.x << "," << c.p.y;
}

TEST(MonitorsTest, AWindowOnNoMonitorMovesOntoTheNearestFullyWhenItFits) {
  const struct {
    const std::vector<Rect>& layout;
    Rect window;
    Point expected;
  } cases[] = {
      {kLeft, {-100, -80, 300, 300}, {-100, -80}},       // partly on a monitor: stays
      {kGapAbove, {-700, 100, -500, 300}, {0, 100}},     // its monitor went away
      {kGapAbove, {1950, 500, 1990, 560}, {1880, 500}},  // in the gap: the least move
      {kLeft, {-700, 900, -500, 1000}, {-700, 500}},     // below the smaller, nearer monitor
      {kLeft, {1024, 100, 1124, 250}, {924, 100}},       // touching is not on it
      {kLeft, {-3000, 50, -1000, 1050}, {-800, 0}},      // too large: its corner comes on
      {kGapAbove, {3000, -3000, 3200, -2900}, {3000, -2160}},
  };
  for (const auto& c : cases) EXPECT_EQ(BringBack(c.window, c.layout), c.expected) << c.window.left;
}

TEST(MonitorsTest, SurfaceOffsetsAndTheKeptPieceOfAnOutline) {
  const Rect desktop = VirtualScreen(kLeft);
  EXPECT_EQ(ToSurface({10, 20}, desktop.corner()), (Point{810, 20}));
  // Across both monitors, (0, 0) a real point of the polygon; the greatest column and row lie
  // on the polygon's right and bottom edges, which it never shows.
  EXPECT_EQ(OutlinePiece(std::vector<Point>{{-300, 100}, {0, 0}, {200, 400}}, desktop), (Rect{-300, 0, 200, 400}));
  EXPECT_EQ(OutlinePiece(std::vector<Point>{{-800, 768}, {1024, 0}, {1024, 768}}, desktop), desktop);
  EXPECT_EQ(OutlinePiece(std::vector<Point>{{-900, 800}, {1100, -40}, {500, 900}}, desktop), desktop);
  // One or two points are no polygon: the whole frozen desktop is the cut-out.
  EXPECT_EQ(OutlinePiece(std::vector<Point>{{5, 5}, {50, 50}}, desktop), desktop);
}

}  // namespace
}  // namespace petariko
