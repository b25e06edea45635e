#include "about/help.h"

#include <gtest/gtest.h>

namespace petariko {
namespace {

TEST(HelpTest, HelpPathHasExactlyOneBackslashBeforeTheFile) {
  EXPECT_EQ(HelpPagePath(L"C:\\"), L"C:\\help.html");
  EXPECT_EQ(HelpPagePath(L"C:\\Tools\\ペタリコ"), L"C:\\Tools\\ペタリコ\\help.html");
  EXPECT_EQ(HelpPagePath(L"\\\\server\\share\\"), L"\\\\server\\share\\help.html");
}

TEST(HelpTest, MakerDetailsComeFromTheBuildAsUnicode) {
  EXPECT_EQ(MakerName(), WidenUtf8(PETARIKO_AUTHOR));
  EXPECT_FALSE(MakerName().empty());
  EXPECT_EQ(MailtoLink(MakerMail()), L"mailto:" + WidenUtf8(PETARIKO_MAIL));
  EXPECT_EQ(MailtoLink(L"mailto:a@b.example"), L"mailto:a@b.example");
}

TEST(HelpTest, WidenUtf8KeepsGoodTextAndMarksBadBytes) {
  EXPECT_EQ(WidenUtf8("\xE3\x83\x9A\xE3\x82\xBF"), L"ペタ");
  EXPECT_EQ(WidenUtf8("a\xFF"
                      "b\xE3\x83\x9A"),
            L"a\uFFFDbペ");
  EXPECT_EQ(WidenUtf8(""), L"");
}

}  // namespace
}  // namespace petariko
