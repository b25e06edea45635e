#include "cutout/bmp_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "fakes/bmp_bytes.h"

namespace petariko {
namespace {

Rgb Colour(int x, int y) {
  return {static_cast<std::uint8_t>(x * 37 + y), static_cast<std::uint8_t>(y * 11 + 1),
          static_cast<std::uint8_t>(255 - x)};
}

// Rows from Colour(); counts the calls.
struct ColourRows {
  int width;
  int calls = 0;
  void operator()(int y, std::uint8_t* bgr) {
    ++calls;
    for (int x = 0; x < width; ++x) {
      const Rgb c = Colour(x, y);
      bgr[3 * x] = c.b;
      bgr[3 * x + 1] = c.g;
      bgr[3 * x + 2] = c.r;
    }
  }
};

struct Case {
  int width;
  int height;
  std::size_t chunk;
};

class BmpWriteTest : public ::testing::TestWithParam<Case> {};

TEST_P(BmpWriteTest, HeaderDescribesAnUncompressedBottomUp24BitPicture) {
  const auto [width, height, chunk] = GetParam();
  VectorSink sink;
  ColourRows rows{width};
  ASSERT_TRUE(WriteBmp(width, height, std::ref(rows), sink, chunk));
  const std::vector<std::uint8_t>& file = sink.bytes;
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
  EXPECT_EQ(rows.calls, height) << "each row is asked for once";
}

TEST_P(BmpWriteTest, PixelsRoundTripWhateverTheChunkSize) {
  const auto [width, height, chunk] = GetParam();
  VectorSink sink;
  ASSERT_TRUE(WriteBmp(width, height, ColourRows{width}, sink, chunk));
  const DecodedBmp decoded = DecodeBmp(sink.bytes);
  ASSERT_EQ(decoded.width, width);
  ASSERT_EQ(decoded.height, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) ASSERT_EQ(decoded.At(x, y), Colour(x, y)) << x << "," << y;
  }
  EXPECT_TRUE(decoded.padding_zero);
  for (std::size_t size : std::vector<std::size_t>(sink.write_sizes.begin() + 1, sink.write_sizes.end())) {
    EXPECT_EQ(size % BmpStride(width), 0u) << "writes hold whole rows";
  }
}

// Widths 1 to 5 cover every amount of row padding; chunks smaller than a row, of a few rows
// and larger than the picture.
INSTANTIATE_TEST_SUITE_P(Sizes, BmpWriteTest,
                         ::testing::Values(Case{1, 1, 1 << 20}, Case{2, 3, 1}, Case{3, 2, 12}, Case{4, 1, 5},
                                           Case{5, 4, 32}, Case{17, 9, 104}, Case{64, 70, 1000}));

TEST(BmpWriterTest, StopsAtTheFirstFailedWrite) {
  for (int fail_at : {0, 1, 3}) {
    VectorSink sink;
    sink.fail_at_write = fail_at;
    EXPECT_FALSE(WriteBmp(8, 10, ColourRows{8}, sink, 24 * 2)) << fail_at;
    EXPECT_EQ(sink.write_sizes.size(), static_cast<std::size_t>(fail_at));
  }
}

TEST(BmpWriterTest, RefusesSizesTheFormatCannotHold) {
  struct Case {
    int width, height;
    bool fits;
  };
  for (const Case& c :
       {Case{0, 5, false}, Case{5, 0, false}, Case{-3, 4, false}, Case{4, -3, false}, Case{1, 1, true},
        Case{1, 536870898, true}, Case{1, 536870899, false},  // 54 + 4 x rows within 31 bits
        Case{40000, 17000, true}, Case{40000, 18000, false}, Case{2147483647, 1, false}, Case{1, 2147483647, false}}) {
    EXPECT_EQ(BmpFits(c.width, c.height), c.fits) << c.width << "x" << c.height;
  }
  VectorSink sink;
  EXPECT_FALSE(WriteBmp(0, 10, ColourRows{0}, sink));
  EXPECT_TRUE(sink.bytes.empty());
}

}  // namespace
}  // namespace petariko
