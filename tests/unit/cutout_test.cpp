#include "cutout/cutout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ui_strings.h"
#include "fakes/cutout_fakes.h"
#include "fakes/recording_messages.h"

namespace petariko {
namespace {

OutlineStore OutlineOf(const std::vector<Point>& points) {
  OutlineStore outline;
  for (std::size_t i = 0; i < points.size(); ++i) outline.ptOutline[i] = points[i];
  outline.intLastPoint = static_cast<int>(points.size()) - 1;
  return outline;
}

struct BoundsCase {
  const char* name;
  std::vector<Point> points;
  SaveRect expected;
};

class BoundingRectTest : public ::testing::TestWithParam<BoundsCase> {};

TEST_P(BoundingRectTest, SpansTheNonEmptySlots) {
  EXPECT_EQ(BoundingRect(OutlineOf(GetParam().points)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Outlines, BoundingRectTest,
    ::testing::Values(BoundsCase{"triangle", {{10, 20}, {50, 25}, {30, 60}}, {10, 20, 50, 60}},
                      BoundsCase{"first_is_top_left", {{5, 6}, {80, 9}, {40, 70}}, {5, 6, 80, 70}},
                      BoundsCase{"origin_point_is_an_empty_slot", {{0, 0}, {30, 40}, {60, 10}}, {30, 10, 60, 40}},
                      BoundsCase{"origin_row_and_column_count", {{0, 15}, {25, 0}, {40, 40}}, {0, 0, 40, 40}},
                      BoundsCase{"negative_coordinates", {{-30, -5}, {10, 20}, {-1, 40}}, {-30, -5, 10, 40}},
                      BoundsCase{"only_origin", {{0, 0}}, {99999, 99999, -99999, -99999}}),
    [](const auto& info) { return std::string(info.param.name); });

class CutoutTest : public ::testing::Test {
 protected:
  CutoutTest() {
    cutout.SetMenuOpener([this] { log.push_back("menu"); });
    // A finished cut-out: outline drawn at (10, 20)..(50, 60), window moved to (10, 10).
    outline = OutlineOf({{10, 20}, {50, 25}, {30, 60}});
    shared.blnCutShown = true;
    window.position = {10, 10};
    dialog.answer = L"Z:\\out\\piece";
  }

  void ExpectSaveEndedWith(const std::vector<std::pair<std::wstring, std::wstring>>& shown_messages) {
    EXPECT_EQ(messages.shown, shown_messages);
    EXPECT_FALSE(shared.blnBusy);
    EXPECT_TRUE(window.visible);
    EXPECT_EQ(window.position, (Point{10, 10}));
    EXPECT_TRUE(shared.blnCutShown);
  }

  CallLog log;
  OutlineStore outline;
  SharedState shared;
  FakeCutoutWindow window{log};
  FakeSaveDialog dialog{log};
  PatternFrozenImage frozen;
  FakeFileWriter writer{log};
  FakeClipboard clipboard;
  RecordingMessages messages;
  Cutout cutout{outline, shared, window, dialog, frozen, writer, clipboard, messages};
};

TEST_F(CutoutTest, DragKeepsTheGrabbedPointUnderTheCursorWhileOnlyLeftIsHeld) {
  cutout.OnMouseDown(kMouseLeft, {7, 9});
  window.cursor = {400, 300};
  cutout.OnMouseMove(kMouseLeft);
  EXPECT_EQ(window.position, (Point{393, 291}));

  // A second left press during the drag does not move the grab point.
  cutout.OnMouseDown(kMouseLeft, {1, 1});
  window.cursor = {0, 0};
  cutout.OnMouseMove(kMouseLeft);
  EXPECT_EQ(window.position, (Point{-7, -9}));

  for (int held : {0, kMouseRight, kMouseMiddle, kMouseLeft | kMouseRight, kMouseLeft | kMouseMiddle}) {
    window.cursor = {999, 999};
    cutout.OnMouseMove(held);
    EXPECT_EQ(window.position, (Point{-7, -9})) << "held " << held;
  }
}

TEST_F(CutoutTest, AnyReleaseEndsTheDragUntilTheNextLeftPress) {
  cutout.OnMouseDown(kMouseLeft, {5, 5});
  cutout.OnMouseDown(kMouseMiddle, {5, 5});
  cutout.OnMouseUp();  // the middle button's release
  window.cursor = {200, 200};
  cutout.OnMouseMove(kMouseLeft);
  EXPECT_EQ(window.position, (Point{10, 10}));

  cutout.OnMouseDown(kMouseLeft, {20, 30});
  cutout.OnMouseMove(kMouseLeft);
  EXPECT_EQ(window.position, (Point{180, 170}));
}

TEST_F(CutoutTest, MenuOpensFromRightPressWhateverBusyAndFromTrayOnlyOnPressWhenIdle) {
  shared.blnBusy = true;
  cutout.OnMouseDown(kMouseRight, {1, 1});
  cutout.OnMouseDown(kMouseMiddle, {1, 1});
  EXPECT_EQ(log, (std::vector<std::string>{"menu"}));

  struct TrayCase {
    int message;
    bool busy;
    bool opens;
  };
  const TrayCase cases[] = {
      {0x201, false, true},  {0x204, false, true},  {0x201, true, false},  {0x204, true, false},
      {0x200, false, false}, {0x202, false, false}, {0x203, false, false}, {0x205, false, false},
      {0x206, false, false}, {0x207, false, false}, {0x208, false, false}, {0, false, false},
  };
  for (const TrayCase& c : cases) {
    log.clear();
    shared.blnBusy = c.busy;
    cutout.OnTrayNotify(c.message);
    EXPECT_EQ(log.size(), c.opens ? 1u : 0u) << std::hex << c.message << " busy " << c.busy;
  }
}

TEST_F(CutoutTest, EraseHidesResetsAndEmptiesTheOutline) {
  window.position = {123, 45};
  cutout.OnDoubleClick();
  EXPECT_EQ(log, (std::vector<std::string>{"hide", "reset-shape"}));
  EXPECT_FALSE(shared.blnCutShown);
  EXPECT_EQ(outline.intLastPoint, 0);
  for (const Point& p : outline.ptOutline) ASSERT_EQ(p, Point{});
  EXPECT_TRUE(messages.shown.empty());

  // With nothing cut out a double-click does nothing and the menu items only say so.
  log.clear();
  cutout.OnDoubleClick();
  cutout.EraseFromMenu();
  cutout.SaveFromMenu();
  EXPECT_TRUE(log.empty());
  EXPECT_FALSE(shared.blnBusy);
  const std::pair<std::wstring, std::wstring> nothing{L"現在は何も切り取りしていません。", L"エラー"};
  EXPECT_EQ(messages.shown, (std::vector{nothing, nothing}));
}

TEST_F(CutoutTest, EraseFromMenuWhileShownBehavesLikeTheDoubleClick) {
  cutout.EraseFromMenu();
  EXPECT_EQ(log, (std::vector<std::string>{"hide", "reset-shape"}));
  EXPECT_FALSE(shared.blnCutShown);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(CutoutTest, SaveWritesTheBoundingRectangleOfTheFrozenScreenWhileBusyAndHidden) {
  bool busy_in_dialog = false;
  bool visible_in_dialog = true;
  dialog.while_open = [&] {
    busy_in_dialog = shared.blnBusy;
    visible_in_dialog = window.visible;
  };
  messages.on_show = [&] { log.push_back("message"); };

  cutout.SaveFromMenu();

  EXPECT_TRUE(busy_in_dialog);
  EXPECT_FALSE(visible_in_dialog);
  EXPECT_EQ(log, (std::vector<std::string>{"hide", "dialog", "write", "message", "show 10,10"}));
  ExpectSaveEndedWith({{L"保存が終了しました。", L"メッセージ"}});
  ASSERT_EQ(writer.paths, (std::vector<std::wstring>{L"Z:\\out\\piece"}));

  // 40 x 40 pixels from (10, 20).
  const DecodedBmp saved = DecodeBmp(writer.last_bytes);
  ASSERT_EQ(saved.width, 40);
  ASSERT_EQ(saved.height, 40);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) ASSERT_EQ(saved.At(x, y), PatternFrozenImage::At(10 + x, 20 + y)) << x << "," << y;
  }
}

TEST_F(CutoutTest, OutlineReachingPastTheFrozenScreenSavesBlackThere) {
  outline = OutlineOf({{1990, 1490}, {2010, 1495}, {2000, 1510}});
  cutout.SaveFromMenu();
  const DecodedBmp saved = DecodeBmp(writer.last_bytes);
  ASSERT_EQ(saved.width, 20);
  ASSERT_EQ(saved.height, 20);
  EXPECT_EQ(saved.At(9, 9), PatternFrozenImage::At(1999, 1499));
  EXPECT_EQ(saved.At(10, 9), Rgb{});
  EXPECT_EQ(saved.At(9, 10), Rgb{});
}

TEST_F(CutoutTest, DialogOffersTheNameChosenAtThePreviousSaveOfTheRun) {
  cutout.SaveFromMenu();
  dialog.answer = L"Z:\\second.bmp";
  writer.fail_create = true;
  cutout.SaveFromMenu();
  dialog.answer.reset();
  cutout.SaveFromMenu();
  EXPECT_EQ(dialog.offered, (std::vector<std::wstring>{L"", L"Z:\\out\\piece", L"Z:\\second.bmp"}));
}

TEST_F(CutoutTest, CancelOrAFailingDialogWritesNothingAndSaysNothing) {
  for (bool fail : {false, true}) {
    log.clear();
    dialog.answer.reset();
    dialog.fail = fail;
    cutout.SaveFromMenu();
    EXPECT_EQ(log, (std::vector<std::string>{"hide", "dialog", "show 10,10"})) << fail;
    ExpectSaveEndedWith({});
  }
}

struct FailureCase {
  const char* name;
  std::vector<Point> outline;
  bool copy_fails;
  bool create_fails;
  int fail_at_write;
};

class SaveFailureTest : public CutoutTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(SaveFailureTest, ReportsTheFailureAndPutsTheWindowBack) {
  outline = OutlineOf(GetParam().outline);
  frozen.fail = GetParam().copy_fails;
  writer.fail_create = GetParam().create_fails;
  writer.fail_at_write = GetParam().fail_at_write;

  cutout.SaveFromMenu();

  ExpectSaveEndedWith({{L"保存に失敗しました。", L"エラー"}});
  EXPECT_TRUE(writer.paths.empty());
  EXPECT_EQ(log.back(), "show 10,10");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveFailureTest,
    ::testing::Values(FailureCase{"file_cannot_be_made", {{10, 20}, {50, 60}}, false, true, -1},
                      FailureCase{"header_write_fails", {{10, 20}, {50, 60}}, false, false, 0},
                      FailureCase{"pixel_write_fails", {{10, 20}, {50, 60}}, false, false, 1},
                      FailureCase{"copy_fails", {{10, 20}, {50, 60}}, true, false, -1},
                      FailureCase{"no_rectangle_beside_origin", {{0, 0}, {10, 10}, {10, 20}}, false, false, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CutoutTest, AnOutlineWithoutAreaSavesTheWholePictureItShows) {
  for (const std::vector<Point>& points : std::vector<std::vector<Point>>{{{640, 480}}, {{10, 20}, {50, 60}}}) {
    outline = OutlineOf(points);
    cutout.SaveFromMenu();
    const DecodedBmp saved = DecodeBmp(writer.last_bytes);
    ASSERT_EQ((std::vector<int>{saved.width, saved.height}), (std::vector<int>{2000, 1500}));
    EXPECT_EQ(saved.At(1999, 1499), PatternFrozenImage::At(1999, 1499));
  }
}

TEST_F(CutoutTest, PutBackReturnsToWhereHideForLaterLeftIt) {
  window.position = {-300, 2000};  // beyond 16-bit twips, and off the primary screen
  cutout.HideForLater();
  EXPECT_FALSE(window.visible);
  EXPECT_EQ(shared.intCutLeft, -300);
  EXPECT_EQ(shared.intCutTop, 2000);
  window.position = {0, 0};
  cutout.PutBack();
  EXPECT_TRUE(window.visible);
  EXPECT_EQ(window.position, (Point{-300, 2000}));
}

TEST_F(CutoutTest, DragBelongsToAShownCutoutOnly) {
  // A left press on the frozen screen of a trace (no cut-out yet) starts nothing.
  shared.blnCutShown = false;
  cutout.OnMouseDown(kMouseLeft, {5, 5});
  shared.blnCutShown = true;
  window.cursor = {300, 300};
  cutout.OnMouseMove(kMouseLeft);
  EXPECT_EQ(window.position, (Point{10, 10}));

  // Hiding ends a drag under way; a hidden cut-out is not dragged.
  cutout.OnMouseDown(kMouseLeft, {5, 5});
  cutout.HideForLater();
  cutout.OnMouseDown(kMouseLeft, {5, 5});
  cutout.OnMouseMove(kMouseLeft);
  cutout.PutBack();
  cutout.OnMouseMove(kMouseLeft);
  EXPECT_EQ(window.position, (Point{10, 10}));
}

TEST_F(CutoutTest, OnlyTheCutoutThatWasHiddenIsPutBackAndCloseErases) {
  // No cut-out was hidden (the quit question came while none existed); one made meanwhile stays.
  window.position = {500, 400};
  cutout.PutBack();
  EXPECT_EQ(window.position, (Point{500, 400}));

  cutout.OnClose();
  EXPECT_FALSE(shared.blnCutShown);
  EXPECT_FALSE(window.visible);
  EXPECT_TRUE(messages.shown.empty());
  cutout.PutBack();
  EXPECT_FALSE(window.visible) << "an erased cut-out never comes back";
}

TEST_F(CutoutTest, CtrlCCopiesTheSavedRectangleAndKeysActOnlyOnAShownIdleCutout) {
  clipboard.fail = true;
  cutout.OnKey('C', true);
  EXPECT_EQ(clipboard.piece, (SaveRect{10, 20, 50, 60}));
  EXPECT_EQ(clipboard.outline, (std::vector<Point>{{0, 0}, {40, 5}, {20, 40}}));
  const std::pair<std::wstring, std::wstring> failed{L"クリップボードにコピーできませんでした。", L"エラー"};
  EXPECT_EQ(messages.shown, (std::vector{failed}));
  EXPECT_EQ(log, (std::vector<std::string>{"hide", "show 10,10"})) << "the message is not left under the cut-out";
  EXPECT_FALSE(shared.blnBusy);

  // One or two points pin the whole frozen picture: that is what is copied, unshaped.
  outline = OutlineOf({{300, 200}, {360, 250}});
  clipboard.fail = false;
  cutout.OnKey('C', true);
  EXPECT_EQ(clipboard.piece, (SaveRect{0, 0, PatternFrozenImage::kWidth, PatternFrozenImage::kHeight}));
  EXPECT_TRUE(clipboard.outline.empty());

  log.clear();
  shared.blnBusy = true;
  cutout.OnKey('S', true);
  shared.blnBusy = false;
  cutout.HideForLater();
  for (char key : {'C', 'S'}) cutout.OnKey(key, true);
  cutout.OnWheel(120, {20, 20}, false);
  shared.blnCutShown = false;  // the frozen screen of a trace
  for (char key : {'C', 'S', '0'}) cutout.OnKey(key, true);
  cutout.OnWheel(120, {20, 20}, false);
  EXPECT_EQ(log, (std::vector<std::string>{"hide"}));
}

TEST_F(CutoutTest, ZoomHoldsTheDraggedPointCtrl0UndoesItAndTheNextCutoutStartsAtOneToOne) {
  cutout.OnWheel(120, {30, 30}, false);
  EXPECT_EQ(window.position, (Point{5, 5}));  // 5/4, picture pixel 20 still under the cursor
  cutout.OnMouseDown(kMouseLeft, {25, 25});
  window.cursor = {30, 20};
  cutout.OnWheel(120, {30, 20}, false);  // 3/2, at (0, 2)
  window.cursor = {130, 230};
  cutout.OnMouseMove(kMouseLeft);
  EXPECT_EQ(window.position, (Point{100, 212}));
  // A step the window cannot take leaves the cut-out and its zoom as they were.
  window.fail_zoom = true;
  cutout.OnWheel(120, {30, 30}, false);
  window.fail_zoom = false;
  EXPECT_EQ(window.scale, (Scale{3, 2}));
  cutout.OnKey('0', true);
  EXPECT_EQ(window.scale, (Scale{1, 1}));
  EXPECT_EQ(window.width, 40);

  cutout.OnWheel(120, {0, 0}, false);
  cutout.OnDoubleClick();
  shared.blnCutShown = true;
  // A new piece of 8 x 40: at 3/1 it is 24 x 120, exactly four desktops of 720 pixels.
  window.piece_width = 8;
  window.desktop_area = 720;
  cutout.OnWheel(10 * 120, {0, 0}, false);
  EXPECT_EQ(window.scale, (Scale{3, 1}));
  EXPECT_EQ(window.width, 24);
}

TEST_F(CutoutTest, ArrowKeysMoveAPixelOrTenWithShiftOnlyAShownIdleCutout) {
  const struct {
    int dx, dy;
    bool shift;
    Point expected;
  } cases[] = {{1, 0, false, {8, -3}}, {-1, 0, true, {-3, -3}}, {0, 1, false, {7, -2}}, {0, -1, true, {7, -13}}};
  for (const auto& c : cases) {
    window.position = {7, -3};
    cutout.OnArrowKey(c.dx, c.dy, c.shift);
    EXPECT_EQ(window.position, c.expected) << c.dx << "," << c.dy << (c.shift ? " with Shift" : "");
  }
  window.position = {7, -3};
  shared.blnBusy = true;
  cutout.OnArrowKey(1, 0, false);
  shared.blnBusy = false;
  cutout.HideForLater();
  cutout.OnArrowKey(0, 1, true);
  EXPECT_EQ(window.position, (Point{7, -3}));
}

TEST_F(CutoutTest, CtrlWheelSeesThroughInTenthsTurnsKeepTheCentreAndCopyTakesWhatIsShown) {
  cutout.OnWheel(120, {20, 20}, true);
  EXPECT_EQ(window.opacity, 100) << "never beyond opaque";
  cutout.OnWheel(-120, {20, 20}, true);
  EXPECT_EQ(window.opacity, 90);
  cutout.OnWheel(-20 * 120, {20, 20}, true);
  EXPECT_EQ(window.opacity, 20) << "never invisible";
  cutout.OnWheel(120, {30, 30}, false);
  EXPECT_EQ(window.scale, (Scale{5, 4}));
  EXPECT_EQ(window.opacity, 20) << "zoom and see-through combine";
  cutout.OnKey('0', true);
  EXPECT_EQ(window.scale, (Scale{1, 1}));
  EXPECT_EQ(window.opacity, 100);

  // A 60 x 40 window at (10, 10) turns about its centre (40, 30).
  window.piece_width = 60;
  cutout.OnDoubleClick();
  shared.blnCutShown = true;
  outline = OutlineOf({{10, 20}, {50, 25}, {30, 60}});
  window.position = {10, 10};
  EXPECT_TRUE(cutout.OnKey('2', false));
  EXPECT_EQ(window.orientation, Orientation().TurnedRight());
  EXPECT_EQ((std::vector<int>{window.position.x, window.position.y, window.width, window.height}),
            (std::vector<int>{20, 0, 40, 60}));
  cutout.OnKey('1', false);
  EXPECT_TRUE(window.orientation.IsIdentity());
  EXPECT_EQ(window.position, (Point{10, 10}));
  EXPECT_FALSE(cutout.OnKey('5', false));

  cutout.OnKey('3', false);
  window.shown = &frozen;
  cutout.OnKey('C', true);
  EXPECT_EQ(clipboard.piece, (SaveRect{0, 0, PatternFrozenImage::kWidth, PatternFrozenImage::kHeight}));
  EXPECT_EQ(clipboard.outline, (std::vector<Point>{{1990, 20}, {1950, 25}, {1970, 60}}));
  cutout.OnKey('4', false);
  EXPECT_EQ(window.orientation, Orientation().FlippedLeftRight().FlippedTopBottom());
}

}  // namespace
}  // namespace petariko
