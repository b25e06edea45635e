#include "core/gesture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_gesture_surface.h"

namespace petariko {
namespace {

using testing::DrawnCell;
using testing::FakeGestureSurface;
using testing::FakeProgramLauncher;

struct MoveCase {
  int dx;
  int dy;
  int expected;
};

class ClassifyTest : public ::testing::TestWithParam<MoveCase> {};

TEST_P(ClassifyTest, StrictThresholds) {
  const MoveCase& c = GetParam();
  const Point from{500, 400};
  EXPECT_EQ(ClassifyMove(from, {from.x + c.dx, from.y + c.dy}), c.expected) << "dx=" << c.dx << " dy=" << c.dy;
}

INSTANTIATE_TEST_SUITE_P(Moves, ClassifyTest,
                         // Each axis on both sides of 20 px, with the other axis on both sides of it too.
                         ::testing::Values(MoveCase{0, -30, kDirectionUp}, MoveCase{0, -21, kDirectionUp},
                                           MoveCase{0, -20, kDirectionNone}, MoveCase{19, -21, kDirectionUp},
                                           MoveCase{20, -30, kDirectionNone}, MoveCase{-20, -30, kDirectionNone},
                                           MoveCase{0, 21, kDirectionDown}, MoveCase{-19, 80, kDirectionDown},
                                           MoveCase{-20, 80, kDirectionNone}, MoveCase{0, 20, kDirectionNone},
                                           MoveCase{-21, 0, kDirectionLeft}, MoveCase{-20, 0, kDirectionNone},
                                           MoveCase{-21, -19, kDirectionLeft}, MoveCase{-30, -20, kDirectionNone},
                                           MoveCase{21, 19, kDirectionRight}, MoveCase{20, 19, kDirectionNone},
                                           MoveCase{21, 20, kDirectionNone}, MoveCase{-40, -40, kDirectionNone},
                                           MoveCase{7, -3, kDirectionNone}, MoveCase{0, 0, kDirectionNone}));

class GestureTest : public ::testing::Test {
 protected:
  // One tick that moves the cursor by (dx, dy) from where it is.
  void Move(int dx, int dy) {
    const Point next{cursor_.x + dx, cursor_.y + dy};
    recognizer_.OnPointStored(cursor_, next);
    cursor_ = next;
  }
  void Stroke(int code) {
    switch (code) {
      case kDirectionUp: return Move(0, -40);
      case kDirectionLeft: return Move(-40, 0);
      case kDirectionRight: return Move(40, 0);
      case kDirectionDown: return Move(0, 40);
    }
  }
  void Strokes(std::initializer_list<int> codes) {
    for (int code : codes) Stroke(code);
  }

  SettingsStore settings_;
  FakeGestureSurface surface_;
  FakeProgramLauncher launcher_;
  GestureRecognizer recognizer_{settings_, surface_, launcher_};
  Point cursor_{500, 400};
};

TEST_F(GestureTest, RepeatedDirectionAcrossPauseAndWobbleGivesOneArrow) {
  Stroke(kDirectionUp);
  Move(0, 0);
  Move(3, -5);
  Move(30, -30);  // diagonal wobble
  Stroke(kDirectionUp);
  EXPECT_EQ(recognizer_.ArrowString(), L"↑");
  EXPECT_EQ(surface_.cells, (std::vector<DrawnCell>{{kDirectionUp, {50, 50}}}));
  EXPECT_EQ(recognizer_.intArrowPos(), 2);
}

TEST_F(GestureTest, ArrowsAreDrawnLeftToRight) {
  Strokes({kDirectionUp, kDirectionRight, kDirectionUp});
  EXPECT_EQ(recognizer_.ArrowString(), L"↑→↑");
  EXPECT_EQ(surface_.cells, (std::vector<DrawnCell>{{kDirectionUp, {50, 50}},
                                                    {kDirectionRight, {100, 50}},
                                                    {kDirectionUp, {150, 50}}}));
}

TEST_F(GestureTest, SixthArrowScrollsTheRowAndKeepsTheLastFive) {
  settings_.strGesture[kEntryCount - 1] = L"→↓←↑→";  // the last row counts too
  settings_.strProgram[kEntryCount - 1] = L"C:\\five.exe";
  Strokes({kDirectionUp, kDirectionRight, kDirectionDown, kDirectionLeft, kDirectionUp});
  EXPECT_EQ(surface_.cells.back(), (DrawnCell{kDirectionUp, {250, 50}}));
  surface_.cells.clear();
  Stroke(kDirectionRight);
  EXPECT_EQ(recognizer_.ArrowString(), L"→↓←↑→");
  EXPECT_EQ(surface_.cells, (std::vector<DrawnCell>{{kDirectionRight, {50, 50}},
                                                    {kDirectionDown, {100, 50}},
                                                    {kDirectionLeft, {150, 50}},
                                                    {kDirectionUp, {200, 50}},
                                                    {kDirectionRight, {250, 50}}}));
  EXPECT_EQ(recognizer_.intArrowPos(), 6);
  EXPECT_EQ(recognizer_.strRunProgram(), L"C:\\five.exe");

  // The sixth slot never shows: a repeat of the newest arrow is still suppressed.
  surface_.cells.clear();
  Stroke(kDirectionRight);
  EXPECT_TRUE(surface_.cells.empty());
  Stroke(kDirectionDown);
  EXPECT_EQ(recognizer_.ArrowString(), L"↓←↑→↓");
  EXPECT_EQ(surface_.cells.back(), (DrawnCell{kDirectionDown, {250, 50}}));
  EXPECT_EQ(recognizer_.strRunProgram(), L"");
}

TEST_F(GestureTest, LookupTakesLowestIndexAndNeverMatchesEmptyOrRepeatedEntries) {
  settings_.strGesture[0] = L"";
  settings_.strProgram[0] = L"C:\\empty.exe";
  settings_.strGesture[1] = L"↑↑↑↑↑↑";
  settings_.strProgram[1] = L"C:\\six.exe";
  settings_.strGesture[4] = L"↑←";
  settings_.strProgram[4] = L"C:\\Program Files\\first.exe";
  settings_.strGesture[9] = L"↑←";
  settings_.strProgram[9] = L"C:\\second.exe";

  Move(0, 0);  // no arrow: the empty string is not looked up
  EXPECT_FALSE(surface_.label_visible);
  Strokes({kDirectionUp, kDirectionLeft});
  EXPECT_TRUE(surface_.label_visible);
  EXPECT_EQ(surface_.label_caption, L" 実行されるプログラム： C:\\Program Files\\first.exe ");
  EXPECT_EQ(surface_.label_position, (Point{50, 90}));
  EXPECT_EQ(recognizer_.strRunProgram(), L"C:\\Program Files\\first.exe");

  Strokes({kDirectionUp, kDirectionLeft, kDirectionUp, kDirectionLeft, kDirectionUp});
  EXPECT_FALSE(surface_.label_visible);
  EXPECT_EQ(recognizer_.strRunProgram(), L"");
}

TEST_F(GestureTest, LaterStrokeRemovesMatchAndReleaseStartsNothing) {
  settings_.strGesture[0] = L"↑";
  settings_.strProgram[0] = L"C:\\up.exe";
  Stroke(kDirectionUp);
  EXPECT_TRUE(surface_.label_visible);
  Stroke(kDirectionRight);
  EXPECT_FALSE(surface_.label_visible);
  EXPECT_EQ(surface_.label_caption, L"");
  recognizer_.Finish();
  EXPECT_TRUE(launcher_.launched.empty());
}

TEST_F(GestureTest, ReleaseStartsTheMatchOnceAndClearsForTheNextGesture) {
  settings_.strGesture[2] = L"↓→";
  settings_.strProgram[2] = L"C:\\My Apps\\go.exe C:\\My Docs\\x y.txt";
  Strokes({kDirectionDown, kDirectionRight});
  recognizer_.Finish();
  EXPECT_EQ(launcher_.launched, std::vector<std::wstring>{L"C:\\My Apps\\go.exe C:\\My Docs\\x y.txt"});
  EXPECT_FALSE(surface_.label_visible);
  EXPECT_EQ(recognizer_.strRunProgram(), L"");
  EXPECT_EQ(recognizer_.intArrowPos(), 1);
  EXPECT_EQ(recognizer_.intArrow(), (std::array<int, 11>{}));

  recognizer_.Finish();  // a second release with nothing matched starts nothing more
  EXPECT_EQ(launcher_.launched.size(), 1u);

  // The next gesture starts at the first cell again, and a down arrow is new there.
  surface_.cells.clear();
  Stroke(kDirectionDown);
  EXPECT_EQ(surface_.cells, (std::vector<DrawnCell>{{kDirectionDown, {50, 50}}}));
}

TEST_F(GestureTest, ArrowsAndLabelAreOnTheMonitorWhereTheGestureBegan) {
  settings_.strGesture[0] = L"←↑";
  settings_.strProgram[0] = L"C:\\left.exe";
  surface_.monitor_corner = {-800, 120};
  Move(0, 0);
  Strokes({kDirectionLeft, kDirectionUp});
  EXPECT_EQ(surface_.corner_asked, (std::vector<Point>{{500, 400}}));
  EXPECT_EQ(surface_.cells, (std::vector<DrawnCell>{{kDirectionLeft, {-750, 170}}, {kDirectionUp, {-700, 170}}}));
  EXPECT_EQ(surface_.label_position, (Point{-750, 210}));

  // The next gesture asks again where it begins.
  recognizer_.Finish();
  Stroke(kDirectionDown);
  EXPECT_EQ(surface_.corner_asked.back(), (Point{460, 360}));
}

TEST_F(GestureTest, ArrowsAndLabelFollowTheScaleOfTheMonitorWhereTheGestureBegan) {
  settings_.strGesture[0] = L"←";
  settings_.strProgram[0] = L"C:\\left.exe";
  // 200 % on a monitor left of the primary: twice the distances from its corner.
  surface_.monitor_corner = {-1280, 0};
  surface_.monitor_dpi = 192;
  Stroke(kDirectionLeft);
  EXPECT_EQ(surface_.label_position, (Point{-1180, 180}));
  Stroke(kDirectionUp);
  EXPECT_EQ(surface_.cells, (std::vector<DrawnCell>{{kDirectionLeft, {-1180, 100}}, {kDirectionUp, {-1080, 100}}}));
  // 125 %: each place rounded on its own, so the row does not drift.
  EXPECT_EQ(ArrowCellPosition(1, {}, 120), (Point{63, 63}));
  EXPECT_EQ(ArrowCellPosition(3, {}, 120), (Point{188, 63}));
}

TEST_F(GestureTest, ResetAfterTooLongTraceClearsWithoutLaunching) {
  settings_.strGesture[0] = L"↑";
  settings_.strProgram[0] = L"C:\\up.exe";
  Strokes({kDirectionUp});
  recognizer_.Reset();
  EXPECT_FALSE(surface_.label_visible);
  EXPECT_EQ(recognizer_.strRunProgram(), L"");
  EXPECT_EQ(recognizer_.intArrowPos(), 1);
  recognizer_.Finish();
  EXPECT_TRUE(launcher_.launched.empty());
}

TEST_F(GestureTest, MatchWithEmptyProgramPathShowsLabelButStartsNothing) {
  settings_.strGesture[0] = L"←";
  Stroke(kDirectionLeft);
  EXPECT_TRUE(surface_.label_visible);
  recognizer_.Finish();
  EXPECT_TRUE(launcher_.launched.empty());
}

}  // namespace
}  // namespace petariko
