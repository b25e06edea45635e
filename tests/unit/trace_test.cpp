#include "core/trace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ui_strings.h"
#include "core/watcher.h"
#include "fakes/fake_frozen_screen.h"
#include "fakes/recording_messages.h"

namespace petariko {
namespace {

class RecordingGestureHooks : public GestureHooks {
 public:
  explicit RecordingGestureHooks(const FakeFrozenScreen& screen) : screen_(screen) {}
  std::vector<std::string> calls;
  bool screen_visible_at_finish = true;

  void OnPointStored(Point previous, Point newest) override {
    calls.push_back("point " + FakeFrozenScreen::Xy(previous) + ">" + FakeFrozenScreen::Xy(newest));
  }
  void Reset() override { calls.push_back("reset"); }
  void Finish() override {
    screen_visible_at_finish = screen_.visible;
    calls.push_back("finish");
  }

 private:
  const FakeFrozenScreen& screen_;
};

class TraceTest : public ::testing::Test {
 protected:
  // Steps along a zigzag so that every step is a move; returns the last outcome.
  StepOutcome StepMoving(TraceMode mode, int count) {
    StepOutcome outcome = StepOutcome::kContinued;
    for (int i = 1; i <= count; ++i) outcome = trace.Step(mode, {100 + i, 200 + (i % 2)});
    return outcome;
  }

  OutlineStore outline;
  SharedState shared;
  FakeFrozenScreen screen;
  RecordingGestureHooks gesture{screen};
  RecordingMessages messages;
  Trace trace{outline, shared, screen, gesture, messages};
};

TEST_F(TraceTest, StartFreezesBeforeShowingWithTheMarkerCentredOnTheCursor) {
  for (TraceMode mode : {TraceMode::kCutout, TraceMode::kGesture}) {
    screen.calls.clear();
    trace.Start(mode, {300, 40});
    const std::string marker = "marker" + std::to_string(static_cast<int>(mode)) + "@300,40";
    EXPECT_EQ(screen.calls, (std::vector<std::string>{"cover", "freeze", marker, "show"}));
    EXPECT_TRUE(trace.IsTracing());
    EXPECT_EQ(outline.intLastPoint, 0);
    EXPECT_EQ(outline.ptOutline[0], (Point{300, 40}));
    trace.FinishGesture();
  }
}

TEST_F(TraceTest, StepStoresAndDrawsOnlyWhenTheCursorMoved) {
  trace.Start(TraceMode::kCutout, {10, 10});
  screen.calls.clear();

  EXPECT_EQ(trace.Step(TraceMode::kCutout, {10, 10}), StepOutcome::kContinued);
  trace.Step(TraceMode::kCutout, {20, 15});
  trace.Step(TraceMode::kCutout, {20, 15});
  trace.Step(TraceMode::kCutout, {5, 30});

  EXPECT_EQ(screen.calls, (std::vector<std::string>{"line 10,10>20,15", "line 20,15>5,30"}));
  EXPECT_EQ(outline.intLastPoint, 2);
  EXPECT_EQ(outline.ptOutline[1], (Point{20, 15}));
  EXPECT_EQ(outline.ptOutline[2], (Point{5, 30}));
  EXPECT_TRUE(gesture.calls.empty()) << "a cut-out trace must not feed the gesture recognizer";
}

TEST_F(TraceTest, GestureTraceHandsEveryStoredPointWithItsPredecessor) {
  trace.Start(TraceMode::kGesture, {50, 50});
  trace.Step(TraceMode::kGesture, {50, 20});
  trace.Step(TraceMode::kGesture, {50, 20});
  trace.Step(TraceMode::kGesture, {90, 20});
  EXPECT_EQ(gesture.calls, (std::vector<std::string>{"point 50,50>50,20", "point 50,20>90,20"}));
}

TEST(ColourSequenceTest, ComponentsAreRedGreenBlueFromConsecutiveUniformDraws) {
  std::mt19937 reference(ColourSequence::kSeed);
  ColourSequence colours;
  for (int i = 0; i < 50; ++i) {
    int expected[3];
    for (int& component : expected) {
      const double u = static_cast<double>(reference()) / 4294967296.0;
      component = static_cast<int>(256.0 * u);
    }
    const Rgb got = colours.Next();
    ASSERT_EQ((std::vector<int>{got.r, got.g, got.b}), (std::vector<int>(expected, expected + 3))) << i;
  }
}

TEST_F(TraceTest, ColoursContinueAcrossTracesAndRepeatInEveryRun) {
  trace.Start(TraceMode::kCutout, {1, 1});
  StepMoving(TraceMode::kCutout, 3);
  trace.FinishGesture();
  trace.Start(TraceMode::kCutout, {1, 1});
  StepMoving(TraceMode::kCutout, 3);

  ColourSequence fresh_run;
  ASSERT_EQ(screen.line_colours.size(), 6u);
  for (const Rgb& colour : screen.line_colours) EXPECT_EQ(colour, fresh_run.Next());
}

TEST_F(TraceTest, HundredthStoredPointAbandonsTheTraceWithoutShowingTheMessageYet) {
  trace.Start(TraceMode::kGesture, {100, 200});
  EXPECT_EQ(StepMoving(TraceMode::kGesture, 99), StepOutcome::kContinued);
  EXPECT_EQ(outline.intLastPoint, 99);

  EXPECT_EQ(trace.Step(TraceMode::kGesture, {7, 7}), StepOutcome::kTooLong);
  EXPECT_FALSE(trace.IsTracing());
  EXPECT_FALSE(screen.visible);
  EXPECT_EQ(gesture.calls.back(), "reset");
  EXPECT_EQ(outline.intLastPoint, 0);
  for (const Point& p : outline.ptOutline) ASSERT_EQ(p, Point{});
  EXPECT_TRUE(messages.shown.empty()) << "the box must wait for the watcher's ReportTooLong";

  trace.ReportTooLong();
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].first, L"線が長すぎます。\r\nもう一度やり直してください。");
  EXPECT_EQ(messages.shown[0].second, L"エラー");
}

TEST_F(TraceTest, FinishedCutoutKeepsAHundredPointOutlineAndShapesTheWindowOffsetByTen) {
  trace.Start(TraceMode::kCutout, {100, 200});
  StepMoving(TraceMode::kCutout, 99);
  screen.calls.clear();

  trace.FinishCutout();

  EXPECT_EQ(screen.calls, (std::vector<std::string>{"wipe", "clip 100", "move 10,10"}));
  EXPECT_EQ(screen.clip.front(), (Point{100, 200}));
  EXPECT_EQ(screen.clip.back(), (Point{199, 201}));
  EXPECT_TRUE(shared.blnCutShown);
  EXPECT_FALSE(trace.IsTracing());
  EXPECT_EQ(outline.intLastPoint, 99) << "the save needs the outline after the finish";
}

TEST_F(TraceTest, OnePointCutoutClipsToASinglePoint) {
  trace.Start(TraceMode::kCutout, {640, 480});
  trace.FinishCutout();
  EXPECT_EQ(screen.clip, (std::vector<Point>{{640, 480}}));
}

TEST_F(TraceTest, OutlineThatEnclosesNothingEndsLikeAnAbandonedTrace) {
  struct Case {
    std::vector<Point> points;
    bool region_empty;
  };
  const Case cases[] = {
      {{{10, 10}, {20, 20}, {40, 40}, {25, 25}}, false},  // one diagonal line, back and forth
      {{{-300, 50}, {-100, 50}, {200, 50}}, false},       // one row across monitors
      {{{10, 10}, {11, 10}, {10, 11}}, true},             // a sliver the desktop finds empty
  };
  for (const Case& c : cases) {
    trace.Start(TraceMode::kCutout, c.points[0]);
    for (std::size_t i = 1; i < c.points.size(); ++i) trace.Step(TraceMode::kCutout, c.points[i]);
    screen.region_empty = c.region_empty;
    trace.FinishCutout();
    EXPECT_FALSE(shared.blnCutShown);
    EXPECT_FALSE(screen.visible);
    EXPECT_FALSE(trace.IsTracing());
    EXPECT_EQ(outline.intLastPoint, 0);
    EXPECT_TRUE(messages.shown.empty());
  }
  EXPECT_FALSE(EnclosesNothing(std::vector<Point>{{0, 0}, {5, 0}, {5, 1}}));
  EXPECT_FALSE(EnclosesNothing(std::vector<Point>{{7, 7}, {9, 9}})) << "two points pin the whole screen";
}

TEST_F(TraceTest, AFailedFreezeLineShapeOrMoveEndsOnlyItsStep) {
  for (const char* failing : {"freeze", "line", "clip", "move"}) {
    screen.fail_on = failing;
    shared.blnCutShown = false;
    trace.Start(TraceMode::kCutout, {100, 100});
    if (trace.IsTracing()) {
      StepMoving(TraceMode::kCutout, 3);
      trace.FinishCutout();
    }
    const bool pinned = screen.fail_on == "line" || screen.fail_on == "move";
    EXPECT_EQ(shared.blnCutShown, pinned) << failing;
    EXPECT_EQ(screen.visible, pinned) << failing << ": never a frozen screen left behind";
    EXPECT_FALSE(trace.IsTracing()) << failing;
    EXPECT_TRUE(messages.shown.empty()) << failing;
  }
}

TEST_F(TraceTest, GestureFinishHidesTheScreenBeforeLaunchingAndClearsTheOutline) {
  trace.Start(TraceMode::kGesture, {100, 200});
  StepMoving(TraceMode::kGesture, 5);
  trace.FinishGesture();

  EXPECT_FALSE(gesture.screen_visible_at_finish);
  EXPECT_EQ(gesture.calls.back(), "finish");
  EXPECT_FALSE(trace.IsTracing());
  EXPECT_FALSE(shared.blnCutShown);
  EXPECT_EQ(outline.intLastPoint, 0);
  EXPECT_EQ(outline.ptOutline[1], Point{});
}

// The watcher and the trace together: after the length limit the button is still held and
// the cursor keeps moving; no new frozen screen may come up over the message.
TEST_F(TraceTest, NoNewTraceUntilReleaseAfterTheLengthLimit) {
  class HeldLeft : public InputPort {
   public:
    bool down = true;
    Point cursor{500, 500};
    bool IsKeyDown(int key) override { return down && key == kButtonLeft; }
    Point CursorPos() override { return cursor; }
  } input;
  SettingsStore settings;
  settings.lngCutButton = kButtonLeft;
  settings.intWaitTime = 3;
  Watcher watcher(settings, shared, input, trace);

  int shown_while_tracing = 0;
  messages.on_show = [&] { shown_while_tracing += trace.IsTracing() ? 1 : 0; };
  for (int i = 0; i < 3; ++i) watcher.Tick();
  ASSERT_TRUE(trace.IsTracing());
  for (int i = 1; i <= 100; ++i) {
    input.cursor = {500 + i, 500 + (i % 2)};
    watcher.Tick();
  }
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(shown_while_tracing, 0);

  for (int i = 0; i < 20; ++i) {
    input.cursor = {i % 2 == 0 ? 500 : 700, 500};  // on and off the anchor
    watcher.Tick();
    ASSERT_FALSE(trace.IsTracing()) << "tick " << i;
  }

  input.down = false;
  watcher.Tick();
  input.down = true;
  input.cursor = {300, 300};
  for (int i = 0; i < 3; ++i) watcher.Tick();
  EXPECT_TRUE(trace.IsTracing()) << "a fresh hold after the release starts again";
}

}  // namespace
}  // namespace petariko
