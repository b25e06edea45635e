#include "core/monitors.h"

#include <gtest/gtest.h>

#include <vector>

namespace petariko {
namespace {

// Layouts as Windows reports them: the primary at (0, 0) first.
const std::vector<Rect> kLeftOfPrimary{{0, 0, 1024, 768}, {-800, 0, 0, 600}};
// A 4K monitor above and right of a smaller primary, with a gap between them.
const std::vector<Rect> kGapAbove{{0, 0, 1920, 1080}, {2000, -2160, 5840, 0}};
const std::vector<Rect> kThreeMixed{{0, 0, 2560, 1440}, {-1280, 400, 0, 1424}, {2560, -200, 3640, 1720}};

TEST(MonitorsTest, VirtualScreenSpansEveryMonitor) {
  EXPECT_EQ(VirtualScreen(kLeftOfPrimary), (Rect{-800, 0, 1024, 768}));
  EXPECT_EQ(VirtualScreen(kGapAbove), (Rect{0, -2160, 5840, 1080}));
  EXPECT_EQ(VirtualScreen(kThreeMixed), (Rect{-1280, -200, 3640, 1720}));
  EXPECT_TRUE(VirtualScreen({}).empty());
}

struct PointCase {
  const std::vector<Rect>* layout;
  Point p;
  int monitor;
};

TEST(MonitorsTest, MonitorOfAPointIsTheOneShowingItOrTheNearest) {
  const PointCase cases[] = {
      {&kLeftOfPrimary, {0, 0}, 0},        {&kLeftOfPrimary, {-1, 0}, 1},
      {&kLeftOfPrimary, {-800, 599}, 1},   {&kLeftOfPrimary, {-400, 700}, 1},  // below the smaller one
      {&kLeftOfPrimary, {-10, 700}, 0},    {&kGapAbove, {1960, -5}, 1},
      {&kGapAbove, {1930, 500}, 0},        {&kThreeMixed, {-1280, 400}, 1},
      {&kThreeMixed, {3000, -100}, 2},     {&kThreeMixed, {2559, 1439}, 0},
  };
  for (const PointCase& c : cases) {
    EXPECT_EQ(&MonitorOf(c.p, *c.layout), &(*c.layout)[c.monitor]) << c.p.x << "," << c.p.y;
  }
}

struct BringBackCase {
  const std::vector<Rect>* layout;
  Rect window;
  Point expected;
};

TEST(MonitorsTest, AWindowOnNoMonitorMovesOntoTheNearestFullyWhenItFits) {
  const BringBackCase cases[] = {
      // Any part on a monitor: it stays, even mostly off-screen.
      {&kLeftOfPrimary, {-100, -80, 300, 300}, {-100, -80}},
      {&kLeftOfPrimary, {-900, 500, -790, 700}, {-900, 500}},
      // The left monitor went away: onto the primary's left edge.
      {&kGapAbove, {-700, 100, -500, 300}, {0, 100}},
      // In the gap right of the primary: the least move, onto the primary.
      {&kGapAbove, {1950, 500, 1990, 540}, {1880, 500}},
      // Below the small left monitor, nearer to it than to the primary.
      {&kLeftOfPrimary, {-700, 900, -500, 1000}, {-700, 500}},
      // Adjacent is not on it.
      {&kLeftOfPrimary, {1024, 100, 1124, 200}, {924, 100}},
      // Larger than the monitor: its corner comes onto it.
      {&kLeftOfPrimary, {-3000, 50, -1000, 1050}, {-800, 0}},
      // Above a 4K monitor with negative coordinates.
      {&kGapAbove, {3000, -3000, 3200, -2900}, {3000, -2160}},
  };
  for (const BringBackCase& c : cases) {
    const Point p = BringBack(c.window, *c.layout);
    EXPECT_EQ(p, c.expected) << c.window.left << "," << c.window.top << " -> " << p.x << "," << p.y;
  }
}

TEST(MonitorsTest, SurfaceOffsetsAndTheKeptPieceOfAnOutline) {
  const Rect desktop = VirtualScreen(kLeftOfPrimary);
  EXPECT_EQ(ToSurface({-800, 0}, desktop.corner()), (Point{0, 0}));
  EXPECT_EQ(ToSurface({10, 20}, desktop.corner()), (Point{810, 20}));

  // Across both monitors, (0, 0) a real point of the polygon: the last column and row count.
  const std::vector<Point> across{{-300, 100}, {0, 0}, {200, 400}};
  EXPECT_EQ(OutlinePiece(across, desktop), (Rect{-300, 0, 201, 401}));
  // Points on the desktop's far edges stay within it.
  const std::vector<Point> edges{{-800, 767}, {1023, 0}, {1023, 767}};
  EXPECT_EQ(OutlinePiece(edges, desktop), (Rect{-800, 0, 1024, 768}));
  // One or two points are no polygon: the whole frozen desktop is the cut-out.
  EXPECT_EQ(OutlinePiece(std::vector<Point>{{5, 5}, {50, 50}}, desktop), desktop);
}

}  // namespace
}  // namespace petariko
