#include "cutout/cutout_image.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/bmp_bytes.h"

namespace petariko {
namespace {

// The mask as rows of '#' (inside) and '.'.
std::vector<std::string> MaskOf(int width, int height, const std::vector<Point>& outline) {
  OutlineMask mask(outline);
  std::vector<std::string> rows;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width));
  for (int y = 0; y < height; ++y) {
    mask.Row(y, row);
    std::string text;
    for (std::uint8_t v : row) text += v == 255 ? '#' : v == 0 ? '.' : '?';
    rows.push_back(text);
  }
  return rows;
}

// Winding number of the point (px, py) about the polygon, straight from its definition.
int WindingAt(double px, double py, const std::vector<Point>& polygon) {
  int winding = 0;
  for (std::size_t i = 0; i < polygon.size(); ++i) {
    const Point a = polygon[i], b = polygon[(i + 1) % polygon.size()];
    const double side = (b.x - a.x) * (py - a.y) - (px - a.x) * (b.y - a.y);
    if (a.y <= py && b.y > py && side > 0) ++winding;
    if (a.y > py && b.y <= py && side < 0) --winding;
  }
  return winding;
}

TEST(OutlineMaskTest, PixelsWhoseCentresTheOutlineWindsAroundAreInside) {
  const std::vector<std::vector<Point>> outlines{
      {{1, 1}, {30, 4}, {12, 25}},                      // triangle
      {{12, 25}, {30, 4}, {1, 1}},                      // the same, the other way round
      {{16, 0}, {26, 30}, {0, 11}, {32, 11}, {6, 30}},  // self-crossing star
      {{-10, -5}, {40, 3}, {20, 50}},                   // beyond the piece on three sides
  };
  for (const auto& outline : outlines) {
    const std::vector<std::string> mask = MaskOf(32, 30, outline);
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 32; ++x) {
        ASSERT_EQ(mask[y][x] == '#', WindingAt(x + 0.5, y + 0.5, outline) != 0) << x << "," << y;
      }
    }
  }
  // The star's middle is enclosed twice and stays inside, which an even-odd rule would drop.
  EXPECT_EQ(MaskOf(32, 30, outlines[2])[16][16], '#');
}

TEST(OutlineMaskTest, EdgesSliversAndMissingPolygons) {
  // A rectangle keeps exactly its width and height: its right and bottom edges stay outside.
  EXPECT_EQ(MaskOf(6, 4, {{1, 1}, {5, 1}, {5, 3}, {1, 3}}),
            (std::vector<std::string>{"......", ".####.", ".####.", "......"}));
  // A one-pixel sliver keeps its one column; a line keeps nothing.
  EXPECT_EQ(MaskOf(4, 3, {{2, 0}, {3, 0}, {3, 2}, {2, 2}}), (std::vector<std::string>{"..#.", "..#.", "...."}));
  EXPECT_EQ(MaskOf(4, 3, {{0, 0}, {3, 2}, {0, 0}, {3, 2}}), (std::vector<std::string>{"....", "....", "...."}));
  // Two points are no polygon: the whole piece, as the window shows it.
  EXPECT_EQ(MaskOf(3, 2, {{0, 0}, {2, 1}}), (std::vector<std::string>{"###", "###"}));
}

TEST(CopyBitmapsTest, HeadersAndPixelsOfBothBitmaps) {
  const int width = 5, height = 3;
  const std::vector<Point> outline{{0, 0}, {3, 0}, {3, 2}, {0, 2}};  // columns 0-2 of rows 0-1
  std::vector<std::uint8_t> v5(DibV5Size(width, height), 0xEE), dib(DibSize(width, height), 0xEE);
  const auto source = [](int y, std::uint8_t* bgr) {
    for (int x = 0; x < width; ++x) bgr[3 * x] = 10 * x, bgr[3 * x + 1] = 10 * y, bgr[3 * x + 2] = 200;
  };
  WriteCopyBitmaps(width, height, outline, source, v5, dib);

  ASSERT_EQ(v5.size(), 124u + 5 * 4 * 3);
  EXPECT_EQ(Le32(v5, 0), 124u);
  EXPECT_EQ(Le32(v5, 4), 5u);
  EXPECT_EQ(Le32(v5, 8), 3u) << "positive height: bottom-up";
  EXPECT_EQ(Le16(v5, 12), 1);
  EXPECT_EQ(Le16(v5, 14), 32);
  EXPECT_EQ(Le32(v5, 16), 3u) << "BI_BITFIELDS";
  EXPECT_EQ(Le32(v5, 20), 60u);
  EXPECT_EQ(Le32(v5, 40), 0x00FF0000u);
  EXPECT_EQ(Le32(v5, 44), 0x0000FF00u);
  EXPECT_EQ(Le32(v5, 48), 0x000000FFu);
  EXPECT_EQ(Le32(v5, 52), 0xFF000000u);
  EXPECT_EQ(Le32(v5, 56), 0x73524742u) << "LCS_sRGB";
  EXPECT_EQ(Le32(v5, 112), 0u) << "no profile";

  const std::size_t stride = 16;  // 15 bytes padded to four
  ASSERT_EQ(dib.size(), 40 + stride * 3);
  EXPECT_EQ(Le32(dib, 0), 40u);
  EXPECT_EQ(Le32(dib, 8), 3u);
  EXPECT_EQ(Le16(dib, 14), 24);
  EXPECT_EQ(Le32(dib, 16), 0u) << "BI_RGB";
  EXPECT_EQ(Le32(dib, 20), stride * 3);

  for (int y = 0; y < height; ++y) {
    const std::uint8_t* p32 = DibV5Row(v5, width, height, y);
    const std::uint8_t* p24 = &dib[40 + (height - 1 - y) * stride];
    for (int x = 0; x < width; ++x) {
      const bool in = x < 3 && y < 2;
      const std::vector<int> want32 = in ? std::vector<int>{10 * x, 10 * y, 200, 255} : std::vector<int>{0, 0, 0, 0};
      const std::vector<int> want24 = in ? std::vector<int>{10 * x, 10 * y, 200} : std::vector<int>{255, 255, 255};
      EXPECT_EQ((std::vector<int>{p32[4 * x], p32[4 * x + 1], p32[4 * x + 2], p32[4 * x + 3]}), want32) << x << "," << y;
      EXPECT_EQ((std::vector<int>{p24[3 * x], p24[3 * x + 1], p24[3 * x + 2]}), want24) << x << "," << y;
    }
    EXPECT_EQ(p24[15], 0) << "padding";
  }
  EXPECT_EQ(DibV5Row(v5, width, height, 0), &v5[124 + 2 * 20]) << "the top row is stored last";
}

TEST(CopyBitmapsTest, SizesThatDoNotFit) {
  EXPECT_TRUE(CopyBitmapsFit(1920, 1080));
  EXPECT_FALSE(CopyBitmapsFit(0, 10));
  EXPECT_FALSE(CopyBitmapsFit(10, -1));
  EXPECT_FALSE(CopyBitmapsFit(40000, 40000));
}

}  // namespace
}  // namespace petariko
