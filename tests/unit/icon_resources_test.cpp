// The icons carry an image for each scale Windows draws them at, so nothing is blurred by
// stretching a 16 or 32 px image.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "core/mark_scale.h"

namespace {

std::set<int> IconSizes(const std::string& name) {
  std::ifstream file(std::string(PETARIKO_RES_DIR) + "/" + name, std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::set<int> sizes;
  if (bytes.size() < 6) return sizes;
  const int count = bytes[4] | (bytes[5] << 8);
  for (int i = 0; i < count && 6 + 16 * i + 16 <= static_cast<int>(bytes.size()); ++i) {
    const int width = bytes[6 + 16 * i];
    const int height = bytes[6 + 16 * i + 1];
    EXPECT_EQ(width, height) << name;
    sizes.insert(width == 0 ? 256 : width);  // 0 stands for 256
  }
  return sizes;
}

TEST(IconResourcesTest, ProgramAndTrayIconsHaveAnImageForEveryScale) {
  EXPECT_EQ(IconSizes("petariko.ico"), (std::set<int>{16, 20, 24, 32, 40, 48, 64, 96, 128, 256}));
  EXPECT_EQ(IconSizes("tray.ico"), (std::set<int>{16, 20, 24, 32, 48}));
}

// Every side the trace's marks are drawn from has its start marker and its arrow strip of four
// square cells.
TEST(IconResourcesTest, EveryMarkImageSideHasItsMarkerAndArrowStrip) {
  for (const int side : petariko::kMarkImageSides) {
    EXPECT_TRUE(IconSizes("petariko.ico").count(side)) << side;
    const std::string name = side == 32 ? "arrows.bmp" : "arrows_" + std::to_string(side) + ".bmp";
    std::ifstream file(std::string(PETARIKO_RES_DIR) + "/" + name, std::ios::binary);
    std::int32_t size[2] = {};
    file.seekg(18).read(reinterpret_cast<char*>(size), sizeof(size));  // width, height
    EXPECT_TRUE(file && size[0] == 4 * side && size[1] == side) << name;
  }
}

}  // namespace
