#include "core/temporary_path.h"

#include <gtest/gtest.h>

namespace petariko {
namespace {

TEST(TemporaryPath, NeverPassesMaxPathWhereTheTargetDoesNot) {
  EXPECT_EQ(TemporaryPathFor(L"C:\\p\\settei.txt", 42), L"C:\\p\\settei.txt.~42.tmp");
  const std::wstring folder = L"C:\\" + std::wstring(240, L'f') + L"\\";
  for (const std::wstring& target : {folder + L"nnnnnnnnnnn.bmp", folder + L"ab.bmp"}) {  // 259, 250: legal
    const std::wstring first = TemporaryPathFor(target, 4242, 0);
    EXPECT_TRUE(first.size() < kMaxPath && first.starts_with(folder)) << first.size();
    EXPECT_NE(TemporaryPathFor(target, 4242, 1), first) << "each attempt names another file";
  }
  EXPECT_EQ(TemporaryPathFor(folder + L"x.bmp" + std::wstring(20, L'x'), 7).substr(269), L".~7.tmp");  // long already
}

}  // namespace
}  // namespace petariko
