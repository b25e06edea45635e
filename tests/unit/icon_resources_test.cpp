// The icons carry an image for each scale Windows draws them at, so nothing is blurred by
// stretching a 16 or 32 px image.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

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
  EXPECT_EQ(IconSizes("petariko.ico"), (std::set<int>{16, 20, 24, 32, 48, 256}));
  EXPECT_EQ(IconSizes("tray.ico"), (std::set<int>{16, 20, 24, 32, 48}));
}

}  // namespace
