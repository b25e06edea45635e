#include "core/settings_file.h"

#include <gtest/gtest.h>

#include "fakes/cp932_codec.h"

namespace petariko {
namespace {

using testing::AsciiCodec;
using testing::Cp1252Codec;
using testing::Cp932Codec;

const Cp932Codec kCp932;

SettingsStore Parsed(std::string_view bytes, const AnsiCodec& codec = kCp932) {
  SettingsParseResult result = ParseSettings(bytes, codec);
  EXPECT_TRUE(std::holds_alternative<SettingsStore>(result));
  return std::holds_alternative<SettingsStore>(result) ? std::get<SettingsStore>(result) : SettingsStore{};
}

// A file of 63 lines whose line `line` holds `text`.
std::string WithLine(int line, const std::string& text) {
  std::string bytes;
  for (int i = 1; i <= 63; ++i) bytes += (i == line ? text : (i <= 3 ? std::string(" 1 ") : std::string())) + "\r\n";
  return bytes;
}

TEST(SettingsFile, DefaultFileIsTheExact135Bytes) {
  std::string expected = " 1 \r\n 2 \r\n 3 \r\n";
  for (int i = 0; i < 60; ++i) expected += "\r\n";
  EXPECT_EQ(DefaultSettingsBytes(), expected);
  EXPECT_EQ(DefaultSettingsBytes().size(), 135u);

  SettingsStore store = Parsed(DefaultSettingsBytes());
  EXPECT_EQ(store.lngCutButton, 1);
  EXPECT_EQ(store.lngGestureButton, 2);
  EXPECT_EQ(store.intWaitTime, 3);
  for (int i = 0; i < kEntryCount; ++i) EXPECT_TRUE(store.strProgram[i].empty() && store.strGesture[i].empty());
}

TEST(SettingsFile, NumberFormatHasSignPositionAndTrailingSpace) {
  EXPECT_EQ(FormatNumber(1), " 1 ");
  EXPECT_EQ(FormatNumber(10), " 10 ");
  EXPECT_EQ(FormatNumber(0), " 0 ");
  EXPECT_EQ(FormatNumber(-1), "-1 ");
  EXPECT_EQ(FormatNumber(-2147483648LL), "-2147483648 ");
}

TEST(SettingsFile, PathRuleInsertsOneBackslash) {
  EXPECT_EQ(SettingsFilePath(L"C:\\Tools\\Petariko"), L"C:\\Tools\\Petariko\\settei.txt");
  EXPECT_EQ(SettingsFilePath(L"D:\\"), L"D:\\settei.txt");
}

TEST(SettingsFile, WrittenFileIsExactCp932Bytes) {
  SettingsStore store;
  store.lngCutButton = 4;
  store.lngGestureButton = 0;
  store.intWaitTime = 10;
  store.strProgram[0] = L"C:\\Program Files\\メモ帳, \"x\".exe";
  store.strGesture[0] = L"↑→";
  store.strGesture[1] = L"←↓";  // gesture with an empty path is kept as it is
  store.strProgram[29] = L"last";
  store.strGesture[29] = L"↓";

  std::string expected = " 4 \r\n 0 \r\n 10 \r\n";
  expected += "C:\\Program Files\\\x83\x81\x83\x82\x92\xA0, \"x\".exe\r\n\x81\xAA\x81\xA8\r\n";
  expected += "\r\n\x81\xA9\x81\xAB\r\n";
  for (int i = 2; i < 29; ++i) expected += "\r\n\r\n";
  expected += "last\r\n\x81\xAB\r\n";

  const std::string bytes = SerializeSettings(store, kCp932);
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(Parsed(bytes), store);
}

TEST(SettingsFile, TextOutsideTheCodePageFallsBackToUtf8WithBom) {
  SettingsStore store;
  store.lngCutButton = 1;
  store.lngGestureButton = 2;
  store.intWaitTime = 3;
  store.strProgram[3] = L"C:\\app.exe";
  store.strGesture[3] = L"↑←→↓";

  const std::string bytes = SerializeSettings(store, AsciiCodec());
  ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_NE(bytes.find("\xE2\x86\x91\xE2\x86\x90\xE2\x86\x92\xE2\x86\x93\r\n"), std::string::npos);
  EXPECT_EQ(Parsed(bytes, AsciiCodec()), store);

  // A character no code page has (a CJK extension B ideograph) survives too.
  store.strProgram[3] = L"C:\\\U00020B9F.exe";
  EXPECT_EQ(Parsed(SerializeSettings(store, kCp932)), store);
}

TEST(SettingsFile, ReadsNumbersWithLooseSpacingAndLineEnds) {
  std::string bytes = "1\n  -7   \r\n+5\r";
  for (int i = 0; i < 60; ++i) bytes += i == 0 ? "notepad.exe\n" : "\r\n";
  SettingsStore store = Parsed(bytes);
  EXPECT_EQ(store.lngCutButton, 1);
  EXPECT_EQ(store.lngGestureButton, -7);
  EXPECT_EQ(store.intWaitTime, 5);
  EXPECT_EQ(store.strProgram[0], L"notepad.exe");
}

TEST(SettingsFile, LinesAreTakenWhole) {
  std::string bytes = DefaultSettingsBytes();
  bytes.replace(15, 2, "  spaced path  \r\n");
  EXPECT_EQ(Parsed(bytes).strProgram[0], L"  spaced path  ");
  // The 63rd line counts without its line end; lines after it are not read.
  bytes = WithLine(63, "last");
  EXPECT_EQ(Parsed(bytes.substr(0, bytes.size() - 2)).strGesture[29], L"last");
  EXPECT_EQ(Parsed(bytes + "64\r\n").strGesture[29], L"last");
}

struct BadFile {
  const char* name;
  std::string bytes;
  SettingsParseError error;
  friend void PrintTo(const BadFile& file, std::ostream* os) { *os << file.name; }
};

class SettingsFileRejects : public ::testing::TestWithParam<BadFile> {};

TEST_P(SettingsFileRejects, WithKindAndLine) {
  SettingsParseResult result = ParseSettings(GetParam().bytes, kCp932);
  ASSERT_TRUE(std::holds_alternative<SettingsParseError>(result));
  EXPECT_EQ(std::get<SettingsParseError>(result), GetParam().error);
}

using Kind = SettingsParseError::Kind;
INSTANTIATE_TEST_SUITE_P(
    BadFiles, SettingsFileRejects,
    ::testing::Values(BadFile{"Empty", "", {Kind::kTooFewLines, 0}},
                      BadFile{"SixtyTwoLines", DefaultSettingsBytes().substr(0, 133), {Kind::kTooFewLines, 62}},
                      BadFile{"WordOnLine1", WithLine(1, "left"), {Kind::kNotInteger, 1}},
                      BadFile{"DecimalOnLine2", WithLine(2, " 2.5 "), {Kind::kNotInteger, 2}},
                      BadFile{"BlankLine3", WithLine(3, "   "), {Kind::kNotInteger, 3}},
                      BadFile{"SignOnly", WithLine(1, "-"), {Kind::kNotInteger, 1}},
                      BadFile{"HoldTimeBeyond16Bits", WithLine(3, " 32768 "), {Kind::kOutOfRange, 3}},
                      BadFile{"HoldTimeBelow16Bits", WithLine(3, "-32769"), {Kind::kOutOfRange, 3}},
                      BadFile{"ButtonBeyond32Bits", WithLine(1, " 2147483648 "), {Kind::kOutOfRange, 1}},
                      BadFile{"ButtonBelow32Bits", WithLine(2, "-2147483649"), {Kind::kOutOfRange, 2}},
                      BadFile{"HugeDigits", WithLine(2, std::string(400, '9')), {Kind::kOutOfRange, 2}},
                      BadFile{"BrokenUtf8", "\xEF\xBB\xBF" + WithLine(10, "\xE2\x86"), {Kind::kBadUtf8, 10}},
                      BadFile{"ValidNeitherInCp932NorAsUtf8", WithLine(6, "C:\\\x85\x40.exe"), {Kind::kBadText, 6}}),
    [](const auto& info) { return info.param.name; });

struct TextCase {
  const char* name;
  std::string stored;  // entry 1's path, in a file without a byte-order mark
  const AnsiCodec* codec;
  std::wstring read;
};

class SettingsFileText : public ::testing::TestWithParam<TextCase> {};

TEST_P(SettingsFileText, IsReadAsWhatItIs) {
  EXPECT_EQ(Parsed(WithLine(6, GetParam().stored), *GetParam().codec).strProgram[1], GetParam().read);
}

const AsciiCodec kAscii;
INSTANTIATE_TEST_SUITE_P(
    Encodings, SettingsFileText,
    ::testing::Values(TextCase{"Ascii", "C:\\a.exe", &kCp932, L"C:\\a.exe"},
                      TextCase{"Cp932Japanese", "C:\\\x83\x81\x83\x82\x92\xA0.exe", &kCp932, L"C:\\メモ帳.exe"},
                      // Also valid CP932 by chance; the three-byte characters tell it apart.
                      TextCase{"Utf8JapaneseWithoutMark", "C:\\\xE3\x83\xA1\xE3\x83\xA2\xE5\xB8\xB3.exe", &kCp932,
                               L"C:\\メモ帳.exe"},
                      TextCase{"TwoByteUtf8ThatIsCp932Kana", "\xC3\xA9", &kCp932, L"\uFF83\uFF69"},
                      TextCase{"ThreeByteUtf8OfTheLowestLeadThatIsCp932Too", "\xE0\xA4\xA4", &kCp932, L"\u0924"},
                      TextCase{"Utf8OutsideTheCodePage", "caf\xC3\xA9", &kAscii, L"caf\u00E9"}),
    [](const auto& info) { return info.param.name; });

TEST(SettingsFile, CodePageBytesThatWouldReadAsUtf8AreWrittenWithTheMark) {
  SettingsStore store = Parsed(DefaultSettingsBytes());
  store.strProgram[0] = L"縺ゅ≠";  // E3 81 82 E3 81 82 in CP932: "ああ" in UTF-8
  const std::string bytes = SerializeSettings(store, kCp932);
  EXPECT_EQ(bytes.substr(0, 3), kUtf8Bom);
  EXPECT_EQ(Parsed(bytes), store);
}

// Written on a Japanese system, read after a switch to 1252 or to a code page that cannot read
// Shift-JIS (as UTF-8 cannot): a gesture, or the path alone (ー is 81 5B, a control character in
// 1252), tells Shift-JIS apart, while 1252's own bytes stay 1252.
TEST(SettingsFile, SurvivesASwitchOfTheCodePage) {
  const Cp1252Codec cp1252;
  SettingsStore store = Parsed(DefaultSettingsBytes());
  store.strProgram[0] = L"C:\\ツール\\メモ帳.exe";
  for (const wchar_t* gesture : {L"↑→", L""}) {
    store.strGesture[0] = gesture;
    const std::string bytes = SerializeSettings(store, kCp932);
    EXPECT_EQ(std::get<SettingsStore>(ParseSettings(bytes, cp1252, &kCp932)), store);
    EXPECT_EQ(std::get<SettingsStore>(ParseSettings(bytes, kAscii, &kCp932)), store);
  }
  const std::string western = WithLine(4, "C:\\\xC4rger\\\xD6l.exe");  // valid CP932 too: half-width kana
  EXPECT_EQ(std::get<SettingsStore>(ParseSettings(western, cp1252, &kCp932)).strProgram[0], L"C:\\Ärger\\Öl.exe");
  // Away from 932, text outside ASCII takes the mark; ASCII stays plain.
  EXPECT_EQ(SerializeSettings(store, cp1252, &kCp932).substr(0, 3), kUtf8Bom);
  EXPECT_EQ(SerializeSettings(Parsed(DefaultSettingsBytes()), cp1252, &kCp932), DefaultSettingsBytes());
}

TEST(SettingsFile, LoneSurrogateIsRefusedAndNeverStopsTheStart) {
  const std::wstring path = std::wstring(L"C:\\a") + static_cast<wchar_t>(0xD800) + L".exe";
  EXPECT_FALSE(IsStorableText(path));
  EXPECT_TRUE(IsStorableText(L"C:\\\U00020B9F.exe"));
  SettingsStore store = Parsed(DefaultSettingsBytes());
  store.strProgram[0] = path;
  EXPECT_EQ(Parsed(SerializeSettings(store, kCp932)).strProgram[0], L"C:\\a\uFFFD.exe");
}

TEST(SettingsFile, LimitsOf16And32BitsStillRead) {
  EXPECT_EQ(Parsed(WithLine(3, "-32768")).intWaitTime, -32768);
  EXPECT_EQ(Parsed(WithLine(3, "32767")).intWaitTime, 32767);
  EXPECT_EQ(Parsed(WithLine(1, "-2147483648")).lngCutButton, -2147483648LL);
  EXPECT_EQ(Parsed(WithLine(2, "2147483647")).lngGestureButton, 2147483647);
}

TEST(SettingsFile, ErrorDescriptionNamesLineAndProblem) {
  EXPECT_EQ(DescribeSettingsError({Kind::kNotInteger, 2}), L"2 行目：整数ではありません。");
  EXPECT_EQ(DescribeSettingsError({Kind::kTooFewLines, 12}), L"12 行しかありません（63 行必要です）。");
}

TEST(SettingsFile, Utf8RoundTripsAtEveryLengthBoundary) {
  const std::pair<std::wstring, std::string> cases[] = {{L"\x7F", "\x7F"},
                                                        {L"\x80", "\xC2\x80"},
                                                        {L"\x7FF", "\xDF\xBF"},
                                                        {L"\x800", "\xE0\xA0\x80"},
                                                        {L"\xD7FF", "\xED\x9F\xBF"},
                                                        {L"\xE000", "\xEE\x80\x80"},
                                                        {L"\xFFFF", "\xEF\xBF\xBF"},
                                                        {L"\U00010000", "\xF0\x90\x80\x80"},
                                                        {L"\U0010FFFF", "\xF4\x8F\xBF\xBF"}};
  for (const auto& [text, bytes] : cases) {
    EXPECT_EQ(EncodeUtf8(text), bytes) << ::testing::PrintToString(bytes);
    EXPECT_EQ(DecodeUtf8(bytes), text) << ::testing::PrintToString(bytes);
  }
}

TEST(SettingsFile, Utf8RejectsOverlongSurrogateTruncatedAndTooLargeForms) {
  for (const std::string_view bytes :
       {"\xC0\xAF", "\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF", "\xED\xA0\x80", "\xED\xBF\xBF", "\xF4\x90\x80\x80",
        "\xE2\x86", "a\x80", "\xF8\x88\x80\x80\x80"}) {
    EXPECT_FALSE(DecodeUtf8(bytes).has_value()) << ::testing::PrintToString(std::string(bytes));
  }
}

}  // namespace
}  // namespace petariko
