#include "settings/gesture_editor.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/ui_strings.h"

namespace petariko {
namespace {

constexpr Arrow U = Arrow::kUp, L = Arrow::kLeft, R = Arrow::kRight, D = Arrow::kDown;

struct ArrowCase {
  std::wstring start;
  std::vector<Arrow> presses;
  std::wstring expected;
};

class GestureEditorArrowTest : public testing::TestWithParam<ArrowCase> {};

TEST_P(GestureEditorArrowTest, AppendsAndKeepsTheLastFive) {
  const ArrowCase& c = GetParam();
  GestureEditor editor(L"C:\\x.exe", c.start);
  for (Arrow a : c.presses) editor.PressArrow(a);
  EXPECT_EQ(editor.gesture(), c.expected);
  EXPECT_EQ(editor.path(), L"C:\\x.exe");
}

INSTANTIATE_TEST_SUITE_P(Cases, GestureEditorArrowTest,
                         testing::Values(ArrowCase{L"", {U}, L"↑"},
                                         ArrowCase{L"", {U, U}, L"↑"},                  // no arrow twice in a row
                                         ArrowCase{L"", {U, R, U}, L"↑→↑"},             // only neighbours must differ
                                         ArrowCase{L"", {U, L, U, L, U, L}, L"←↑←↑←"},  // a sixth pushes the first out
                                         ArrowCase{L"↑←↓→↑", {U}, L"↑←↓→↑"},            // five, same arrow: unchanged
                                         ArrowCase{L"↑←↓→↑", {D}, L"←↓→↑↓"},            // five, other arrow: shifts
                                         // Hand-edited gestures longer than five come back into matchable length.
                                         ArrowCase{L"↑←↓→↑←", {L}, L"←↓→↑←"}, ArrowCase{L"↑←↓→↑←", {D}, L"↓→↑←↓"},
                                         ArrowCase{L"↑←↑←↑←↑←", {R}, L"↑←↑←→"}));

TEST(GestureEditorTest, LongSequenceKeepsLastFiveWithNoRepeats) {
  GestureEditor editor;
  const Arrow seq[] = {L, R, U, D, L, R, U, D};
  for (Arrow a : seq) editor.PressArrow(a);
  EXPECT_EQ(editor.gesture(), L"↓←→↑↓");
  editor.Clear();
  EXPECT_EQ(editor.gesture(), L"");
}

// Knows a fixed set of names, as the file system would.
class FakeProbe : public PathProbe {
 public:
  std::set<std::wstring> existing;
  mutable std::vector<std::wstring> asked;
  bool Exists(const std::wstring& text) const override {
    asked.push_back(text);
    return existing.count(text) > 0;
  }
};

TEST(GestureEditorTest, OkChecksPathBeforeHandingBack) {
  FakeProbe probe;
  probe.existing = {L"C:\\Tools\\a.exe", L"C:\\Tools"};
  struct Case {
    std::wstring path;
    EditorCheck expected;
  } cases[] = {
      {L"", EditorCheck::kNeedProgram},
      {L"C:\\Tools\\a.exe", EditorCheck::kAccepted},
      {L"C:\\Tools", EditorCheck::kAccepted},
      {L"C:\\Tools\\a.exe /x", EditorCheck::kFileMissing},  // parameters are not a file
      {L"C:\\nope.exe", EditorCheck::kFileMissing},
      {std::wstring(L"C:\\Tools\\a") + static_cast<wchar_t>(0xDC00) + L".exe", EditorCheck::kUnstorable},
  };
  for (const Case& c : cases) {
    GestureEditor editor(c.path, L"");  // an empty gesture is no reason to refuse
    EXPECT_EQ(editor.CheckOk(probe), c.expected) << std::string(c.path.begin(), c.path.end());
  }
  EXPECT_EQ(probe.asked.size(), 4u) << "an empty path is not looked up";
  EXPECT_STREQ(EditorCheckMessage(EditorCheck::kNeedProgram), ui::kNeedProgram);
  EXPECT_STREQ(EditorCheckMessage(EditorCheck::kFileMissing), ui::kFileMissing);
  EXPECT_STREQ(EditorCheckMessage(EditorCheck::kUnstorable), ui::kPathUnstorable);
}

}  // namespace
}  // namespace petariko
