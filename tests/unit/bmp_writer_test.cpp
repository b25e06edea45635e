#include "cutout/bmp_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace petariko {
namespace {

std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint16_t Le16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// A reader written from the file format, independent of the writer's row helpers.
struct Decoded {
  int width = 0;
  int height = 0;
  std::vector<Rgb> top_down;  // row-major from the top
  bool padding_zero = true;
};

Decoded Decode(std::span<const std::uint8_t> file) {
  Decoded d;
  d.width = static_cast<int>(Le32(file, 18));
  d.height = static_cast<int>(Le32(file, 22));
  const std::size_t offset = Le32(file, 10);
  const std::size_t stride = ((static_cast<std::size_t>(d.width) * 24 + 31) / 32) * 4;
  for (int y = 0; y < d.height; ++y) {
    const std::size_t row = offset + static_cast<std::size_t>(d.height - 1 - y) * stride;
    for (int x = 0; x < d.width; ++x) {
      const std::size_t p = row + static_cast<std::size_t>(x) * 3;
      d.top_down.push_back({file[p + 2], file[p + 1], file[p]});
    }
    for (std::size_t pad = static_cast<std::size_t>(d.width) * 3; pad < stride; ++pad) {
      d.padding_zero = d.padding_zero && file[row + pad] == 0;
    }
  }
  return d;
}

struct Size {
  int width;
  int height;
};

class BmpSizeTest : public ::testing::TestWithParam<Size> {};

TEST_P(BmpSizeTest, HeaderDescribesAnUncompressedBottomUp24BitPicture) {
  const auto [width, height] = GetParam();
  BmpImage image(width, height);
  const auto file = image.FileBytes();
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;

  ASSERT_EQ(file.size(), 54 + stride * height);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(Le32(file, 2), file.size());
  EXPECT_EQ(Le32(file, 6), 0u);
  EXPECT_EQ(Le32(file, 10), 54u);
  EXPECT_EQ(Le32(file, 14), 40u);
  EXPECT_EQ(static_cast<std::int32_t>(Le32(file, 18)), width);
  EXPECT_EQ(static_cast<std::int32_t>(Le32(file, 22)), height) << "positive height: bottom-up";
  EXPECT_EQ(Le16(file, 26), 1);
  EXPECT_EQ(Le16(file, 28), 24);
  EXPECT_EQ(Le32(file, 30), 0u);
  EXPECT_EQ(Le32(file, 34), stride * height);
  EXPECT_EQ(Le32(file, 46), 0u);
}

TEST_P(BmpSizeTest, PixelsRoundTripThroughTheFileLayout) {
  const auto [width, height] = GetParam();
  BmpImage image(width, height);
  std::vector<Rgb> expected;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb colour{static_cast<std::uint8_t>(x * 37 + y), static_cast<std::uint8_t>(y * 11 + 1),
                       static_cast<std::uint8_t>(255 - x)};
      image.SetPixel(x, y, colour);
      expected.push_back(colour);
    }
  }
  const Decoded decoded = Decode(image.FileBytes());
  EXPECT_EQ(decoded.width, width);
  EXPECT_EQ(decoded.height, height);
  EXPECT_EQ(decoded.top_down, expected);
  EXPECT_TRUE(decoded.padding_zero);
  EXPECT_EQ(image.GetPixel(width - 1, height - 1), expected.back());
}

// Widths 1 to 5 cover every amount of row padding; height 1 has no row order to get wrong.
INSTANTIATE_TEST_SUITE_P(Sizes, BmpSizeTest,
                         ::testing::Values(Size{1, 1}, Size{2, 3}, Size{3, 2}, Size{4, 1}, Size{5, 4},
                                           Size{17, 9}));

TEST(BmpImageTest, RefusesSizesTheFormatCannotHold) {
  struct Case {
    int width, height;
    bool fits;
  };
  for (const Case& c : {Case{0, 5, false}, Case{5, 0, false}, Case{-3, 4, false}, Case{4, -3, false},
                        Case{1, 1, true}, Case{40000, 17000, true}, Case{40000, 18000, false},
                        Case{2147483647, 1, false}, Case{1, 2147483647, false}}) {
    EXPECT_EQ(BmpImage::Fits(c.width, c.height), c.fits) << c.width << "x" << c.height;
  }
  EXPECT_THROW(BmpImage(0, 10), std::length_error);
  EXPECT_THROW(BmpImage(10, -1), std::length_error);
}

}  // namespace
}  // namespace petariko
