#include "cutout/cutout_image.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "fakes/bmp_bytes.h"

namespace petariko {
namespace {

using Outline = std::vector<Point>;
using Rows = std::vector<std::string>;

// The mask as rows of '#' (inside) and '.'.
Rows MaskOf(int width, int height, const Outline& outline) {
  OutlineMask mask(outline);
  Rows rows(height);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width));
  for (int y = 0; y < height; ++y) {
    mask.Row(y, row);
    for (std::uint8_t v : row) rows[y] += v == 255 ? '#' : v == 0 ? '.' : '?';
  }
  return rows;
}

// The winding number of (px, py), straight from its definition.
int WindingAt(double px, double py, const Outline& polygon) {
  int winding = 0;
  for (std::size_t i = 0; i < polygon.size(); ++i) {
    const Point a = polygon[i], b = polygon[(i + 1) % polygon.size()];
    const double side = (b.x - a.x) * (py - a.y) - (px - a.x) * (b.y - a.y);
    winding += (a.y <= py && b.y > py && side > 0) - (a.y > py && b.y <= py && side < 0);
  }
  return winding;
}

TEST(OutlineMaskTest, PixelsWhoseCentresTheOutlineWindsAroundAreInside) {
  const Outline star{{16, 0}, {26, 30}, {0, 11}, {32, 11}, {6, 30}};  // crosses itself
  for (const Outline& outline : {Outline{{1, 1}, {30, 4}, {12, 25}}, Outline{{12, 25}, {30, 4}, {1, 1}}, star,
                                 Outline{{-10, -5}, {40, 3}, {20, 50}}}) {
    const Rows mask = MaskOf(32, 30, outline);
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 32; ++x) ASSERT_EQ(mask[y][x] == '#', WindingAt(x + 0.5, y + 0.5, outline) != 0) << x << y;
    }
  }
  EXPECT_EQ(MaskOf(32, 30, star)[16][16], '#') << "enclosed twice, which an even-odd rule would drop";
  // Right and bottom edges stay outside; a one-pixel sliver keeps its column, a line nothing;
  // two points are no polygon, so the whole piece is kept as the window shows it.
  EXPECT_EQ(MaskOf(6, 3, {{1, 1}, {5, 1}, {5, 3}, {1, 3}}), (Rows{"......", ".####.", ".####."}));
  EXPECT_EQ(MaskOf(4, 3, {{2, 0}, {3, 0}, {3, 2}, {2, 2}}), (Rows{"..#.", "..#.", "...."}));
  EXPECT_EQ(MaskOf(4, 2, {{0, 0}, {3, 2}, {0, 0}, {3, 2}}), (Rows{"....", "...."}));
  EXPECT_EQ(MaskOf(3, 2, {{0, 0}, {2, 1}}), (Rows{"###", "###"}));
}

TEST(CopyBitmapsTest, HeadersAndPixelsOfBothBitmaps) {
  const int width = 5, height = 3;  // the outline keeps columns 0-2 of rows 0-1
  std::vector<std::uint8_t> v5(DibV5Size(width, height), 0xEE), dib(DibSize(width, height), 0xEE);
  const auto source = [](int y, std::uint8_t* bgr) {
    for (int x = 0; x < width; ++x) bgr[3 * x] = 10 * x, bgr[3 * x + 1] = 10 * y, bgr[3 * x + 2] = 200;
  };
  WriteCopyBitmaps(width, height, {{{0, 0}, {3, 0}, {3, 2}, {0, 2}}}, source, v5, dib);
  using Fields = std::vector<std::pair<std::size_t, std::uint32_t>>;
  // Size, width, height (positive: bottom-up), planes and bits, compression (BI_BITFIELDS, BI_RGB),
  // image size; the red, green, blue and alpha masks, the colour space (LCS_sRGB), no profile.
  for (auto [at, value] : Fields{{0, 124},
                                 {4, 5},
                                 {8, 3},
                                 {12, 1 | 32 << 16},
                                 {16, 3},
                                 {20, 60},
                                 {40, 0xFF0000},
                                 {44, 0xFF00},
                                 {48, 0xFF},
                                 {52, 0xFF000000},
                                 {56, 0x73524742},
                                 {116, 0}}) {
    EXPECT_EQ(Le32(v5, at), value) << at;
  }
  for (auto [at, value] : Fields{{0, 40}, {8, 3}, {12, 1 | 24 << 16}, {16, 0}, {20, 16 * 3}}) {
    EXPECT_EQ(Le32(dib, at), value) << at;
  }
  ASSERT_EQ(dib.size(), 40u + 16 * 3);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* p32 = DibV5Row(v5, width, height, y);
    const std::uint8_t* p24 = &dib[40 + (height - 1 - y) * 16];
    for (int x = 0; x < width; ++x) {
      using Pixel = std::vector<int>;
      EXPECT_EQ((Pixel{p32[4 * x], p32[4 * x + 1], p32[4 * x + 2], p32[4 * x + 3], p24[3 * x], p24[3 * x + 2]}),
                x < 3 && y < 2 ? (Pixel{10 * x, 10 * y, 200, 255, 10 * x, 200}) : (Pixel{0, 0, 0, 0, 255, 255}))
          << x << "," << y << ": outside transparent black, and white without alpha";
    }
    EXPECT_EQ(p24[15], 0) << "padding";
  }
  EXPECT_EQ(DibV5Row(v5, width, height, 0), &v5[124 + 2 * 20]) << "the top row is stored last";
  // 124 + 4 x 536,870,880 bytes is the most that fits 31 bits, the header included.
  for (auto [w, h, fits] : {std::tuple{1, 1, true},
                            {0, 10, false},
                            {10, -1, false},
                            {1, 536870880, true},
                            {1, 536870881, false},
                            {536870880, 1, true},
                            {536870881, 1, false}}) {
    EXPECT_EQ(CopyBitmapsFit(w, h), fits) << w << "x" << h;
  }
}

TEST(PngFileLengthTest, EndsAfterTheEndChunkWhateverFollows) {
  std::vector<std::uint8_t> file(8, 0);  // the signature is not looked at
  for (const auto& [type, length] : {std::pair{"IHDR", 13}, {"IDAT", 300}, {"IEND", 0}}) {
    file.insert(file.end(), {0, 0, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)});
    file.insert(file.end(), type, type + 4);
    file.insert(file.end(), length + 4, 0x49);  // the data and a check value
  }
  const std::size_t length = file.size();
  file.resize(length + 5000, 0xEE);  // room the stream had left
  EXPECT_EQ(PngFileLength(file), length);
  EXPECT_EQ(PngFileLength(std::span(file).first(length - 1)), std::nullopt);
}

}  // namespace
}  // namespace petariko
