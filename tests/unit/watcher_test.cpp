#include "core/watcher.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fakes/allocation_counter.h"

namespace petariko {
namespace {

// One tick of scripted desktop: which buttons are down and where the cursor is.
struct TickInput {
  std::vector<int> down;
  Point cursor;
};

class ScriptedInput : public InputPort {
 public:
  TickInput now;
  int queries = 0;
  bool IsKeyDown(int virtual_key) override {
    ++queries;
    for (int code : now.down) {
      if (code == virtual_key) return true;
    }
    return false;
  }
  Point CursorPos() override { return now.cursor; }
  bool ButtonsSwapped() override { return swapped; }
  bool IsOverOwnWindow(Point p) override { return p.y >= own_windows_from_y; }
  bool EscapePressed() override { return std::exchange(escape, false); }
  bool IsMenuOpen() override { return menu_open; }

  bool escape = false;  // a press not yet read
  bool menu_open = false;
  bool swapped = false;
  int own_windows_from_y = 1000;  // the program's menus and boxes lie below this line
};

// Records the calls as short words: "start1@x,y", "step2@x,y", "finish-cut", ...
class RecordingTrace : public TraceHandler {
 public:
  std::vector<std::string> calls;
  bool tracing = false;
  int steps_until_too_long = -1;

  bool IsTracing() const override { return tracing; }
  void Start(TraceMode mode, Point p) override {
    tracing = true;
    calls.push_back("start" + Where(mode, p));
  }
  StepOutcome Step(TraceMode mode, Point p) override {
    calls.push_back("step" + Where(mode, p));
    if (steps_until_too_long > 0 && --steps_until_too_long == 0) {
      tracing = false;
      return StepOutcome::kTooLong;
    }
    return StepOutcome::kContinued;
  }
  void ReportTooLong() override { calls.push_back("too-long"); }
  void FinishCutout() override {
    tracing = false;
    calls.push_back("finish-cut");
  }
  void FinishGesture() override {
    tracing = false;
    calls.push_back("finish-gesture");
  }
  void Cancel() override {
    tracing = false;
    calls.push_back("cancel");
  }
  // Apart from the calls above: "began" and "ended" for what a start needs made ready.
  std::vector<std::string> readiness;
  void HoldBegan() override { readiness.push_back("began"); }
  void HoldEnded() override { readiness.push_back("ended"); }

 private:
  static std::string Where(TraceMode mode, Point p) {
    return std::to_string(static_cast<int>(mode)) + "@" + std::to_string(p.x) + "," + std::to_string(p.y);
  }
};

class WatcherTest : public ::testing::Test {
 protected:
  WatcherTest() {
    settings.lngCutButton = kButtonLeft;
    settings.lngGestureButton = kButtonRight;
    settings.intWaitTime = 3;
  }

  // Runs the ticks and returns every trace call they made, in order.
  std::vector<std::string> Run(const std::vector<TickInput>& ticks) {
    trace.calls.clear();
    for (const TickInput& tick : ticks) {
      input.now = tick;
      watcher.Tick();
    }
    return trace.calls;
  }

  SettingsStore settings;
  SharedState shared;
  ScriptedInput input;
  RecordingTrace trace;
  Watcher watcher{settings, shared, input, trace};
};

using Calls = std::vector<std::string>;
const std::vector<int> kLeft{kButtonLeft};
const std::vector<int> kRight{kButtonRight};
const std::vector<int> kNone{};

TEST_F(WatcherTest, StartsOnTheTickTheRestCountReachesTheHoldTime) {
  EXPECT_EQ(Run({{kLeft, {5, 5}}, {kLeft, {5, 5}}}), Calls{});
  EXPECT_EQ(Run({{kLeft, {5, 5}}}), Calls{"start1@5,5"});
  EXPECT_EQ(Run({{kLeft, {5, 5}}, {kLeft, {9, 5}}, {kNone, {9, 5}}}), (Calls{"step1@5,5", "step1@9,5", "finish-cut"}));
  EXPECT_EQ(watcher.intHoldCount(), 0);
}

TEST_F(WatcherTest, MovingOffTheAnchorPausesTheCountWithoutResettingIt) {
  EXPECT_EQ(Run({{kRight, {1, 1}}, {kRight, {2, 1}}, {kRight, {1, 3}}, {kRight, {1, 1}}}), Calls{});
  EXPECT_EQ(watcher.intHoldCount(), 2);
  EXPECT_EQ(Run({{kRight, {1, 1}}}), Calls{"start2@1,1"});
  EXPECT_EQ(Run({{kRight, {1, 40}}, {kRight, {1, 40}}, {kNone, {1, 40}}}),
            (Calls{"step2@1,40", "step2@1,40", "finish-gesture"}));
}

TEST_F(WatcherTest, ReleaseResetsTheCount) {
  EXPECT_EQ(Run({{kLeft, {0, 0}}, {kLeft, {0, 0}}, {kNone, {0, 0}}, {kLeft, {0, 0}}, {kLeft, {0, 0}}}), Calls{});
  EXPECT_EQ(watcher.intHoldCount(), 2);
}

TEST_F(WatcherTest, BothButtonsHeldActAsARelease) {
  EXPECT_EQ(Run({{kLeft, {0, 0}}, {kLeft, {0, 0}}, {kLeft, {0, 0}}, {{kButtonLeft, kButtonRight}, {0, 0}}}),
            (Calls{"start1@0,0", "finish-cut"}));
  EXPECT_EQ(watcher.intHoldCount(), 0);
}

TEST_F(WatcherTest, ShownCutoutBlocksEveryStart) {
  shared.blnCutShown = true;
  EXPECT_EQ(Run(std::vector<TickInput>(10, {kLeft, {0, 0}})), Calls{});
  EXPECT_EQ(Run(std::vector<TickInput>(10, {kRight, {0, 0}})), Calls{});
  EXPECT_EQ(watcher.intHoldCount(), 0);
}

TEST_F(WatcherTest, BusySuspendsEverythingAndResumesWhereItWas) {
  Run({{kLeft, {0, 0}}, {kLeft, {0, 0}}});
  shared.blnBusy = true;
  input.queries = 0;
  EXPECT_EQ(Run({{kNone, {0, 0}}, {kLeft, {0, 0}}}), Calls{});
  EXPECT_EQ(input.queries, 0);
  shared.blnBusy = false;
  EXPECT_EQ(Run({{kLeft, {0, 0}}}), Calls{"start1@0,0"});
}

TEST_F(WatcherTest, UnusedButtonNeverReadsAsHeld) {
  settings.lngGestureButton = kButtonUnused;
  // Even a desktop that reports code 0 as down must not start the gesture.
  EXPECT_EQ(Run(std::vector<TickInput>(5, {{0}, {0, 0}})), Calls{});
  EXPECT_EQ(Run(std::vector<TickInput>(3, {kLeft, {0, 0}})), Calls{"start1@0,0"});
}

TEST_F(WatcherTest, SameButtonForBothFunctionsNeverStarts) {
  settings.lngGestureButton = kButtonLeft;
  EXPECT_EQ(Run(std::vector<TickInput>(10, {kLeft, {0, 0}})), Calls{});
}

TEST_F(WatcherTest, HoldTimeOfZeroOrLessNeverStarts) {
  for (int wait : {0, -1}) {
    settings.intWaitTime = wait;
    EXPECT_EQ(Run(std::vector<TickInput>(5, {kLeft, {0, 0}})), Calls{});
  }
}

TEST_F(WatcherTest, IdleTickQueriesFourTimesAndAllocatesNothing) {
  input.now = {kNone, {0, 0}};
  input.queries = 0;
  const long before = AllocationsSoFar();
  watcher.Tick();
  EXPECT_EQ(AllocationsSoFar() - before, 0);
  EXPECT_EQ(input.queries, 4);
}

TEST_F(WatcherTest, SecondButtonSwitchesModeAndPressingBothFinishes) {
  EXPECT_EQ(Run({{kLeft, {0, 0}}, {kLeft, {0, 0}}, {kLeft, {0, 0}}, {{kButtonLeft, kButtonRight}, {0, 0}}}),
            (Calls{"start1@0,0", "finish-cut"}));
}

TEST_F(WatcherTest, AfterTheLengthLimitNothingStartsUntilRelease) {
  trace.steps_until_too_long = 2;
  EXPECT_EQ(Run({{kLeft, {0, 0}}, {kLeft, {0, 0}}, {kLeft, {0, 0}}, {kLeft, {5, 0}}, {kLeft, {6, 0}}}),
            (Calls{"start1@0,0", "step1@5,0", "step1@6,0", "too-long"}));
  // Still held, off the anchor (the count still equals the hold time) and then on it.
  EXPECT_EQ(Run({{kLeft, {7, 0}}, {kLeft, {0, 0}}, {kLeft, {0, 0}}}), Calls{});
  EXPECT_EQ(Run({{kNone, {0, 0}}, {kLeft, {0, 0}}, {kLeft, {0, 0}}, {kLeft, {0, 0}}}), Calls{"start1@0,0"});
}

TEST_F(WatcherTest, HoldCountStopsAtItsLimit) {
  settings.intWaitTime = 2;
  input.now = {kLeft, {0, 0}};
  for (int i = 0; i < Watcher::kHoldCountLimit + 10; ++i) watcher.Tick();
  EXPECT_EQ(watcher.intHoldCount(), Watcher::kHoldCountLimit);
  EXPECT_EQ(trace.calls.front(), "start1@0,0");
}

TEST_F(WatcherTest, SwappedButtonsReadThePhysicalButtonOfEachLogicalRole) {
  input.swapped = true;
  // The physical right button is the logical left one: it cuts out; the physical left gestures.
  EXPECT_EQ(Run(std::vector<TickInput>(3, {kRight, {0, 0}})), Calls{"start1@0,0"});
  EXPECT_EQ(Run({{kNone, {0, 0}}, {kLeft, {0, 0}}, {kLeft, {0, 0}}, {kLeft, {0, 0}}}),
            (Calls{"finish-cut", "start2@0,0"}));
  // The setting changes while the program runs: the next tick follows it.
  input.swapped = false;
  EXPECT_EQ(Run({{kNone, {0, 0}}, {kLeft, {0, 0}}, {kLeft, {0, 0}}, {kLeft, {0, 0}}}),
            (Calls{"finish-gesture", "start1@0,0"}));
  EXPECT_EQ(PhysicalButton(kButtonMiddle, true), kButtonMiddle);
}

TEST_F(WatcherTest, AHoldOnTheProgramsOwnWindowsIsASlowClick) {
  input.own_windows_from_y = 100;
  // Begun on a menu or box: nothing starts however long it is held, even moved off it.
  EXPECT_EQ(Run({{kLeft, {0, 100}}, {kLeft, {0, 100}}, {kLeft, {0, 100}}, {kLeft, {0, 100}}}), Calls{});
  EXPECT_EQ(Run({{kLeft, {0, 0}}, {kLeft, {0, 0}}, {kLeft, {0, 0}}}), Calls{});
  // Begun elsewhere, but a menu opened under the cursor meanwhile (the tray icon's press).
  EXPECT_EQ(Run({{kNone, {0, 0}}, {kLeft, {0, 0}}, {kLeft, {0, 0}}}), Calls{});
  input.own_windows_from_y = 0;
  EXPECT_EQ(Run({{kLeft, {0, 0}}}), Calls{});
  // Elsewhere the hold keeps its behaviour.
  input.own_windows_from_y = 100;
  EXPECT_EQ(Run({{kNone, {0, 0}}, {kLeft, {0, 0}}, {kLeft, {0, 0}}, {kLeft, {0, 0}}}), Calls{"start1@0,0"});
}

TEST_F(WatcherTest, EscGivesTheTraceUpAndNothingStartsUntilRelease) {
  // A press from before the trace is forgotten when it starts.
  input.escape = true;
  EXPECT_EQ(Run({{kRight, {0, 0}}, {kRight, {0, 0}}, {kRight, {0, 0}}, {kRight, {0, 9}}}),
            (Calls{"start2@0,0", "step2@0,9"}));
  input.escape = true;
  EXPECT_EQ(Run({{kRight, {0, 40}}, {kRight, {5, 0}}, {kRight, {0, 0}}, {kRight, {0, 0}}, {kNone, {0, 0}}}),
            Calls{"cancel"});
  EXPECT_EQ(Run({{kLeft, {0, 0}}, {kLeft, {0, 0}}, {kLeft, {0, 0}}}), Calls{"start1@0,0"});
}

TEST_F(WatcherTest, AStartIsMadeReadyOneTickBeforeItAndGivenBackAtTheRelease) {
  // Three ticks' hold: ready at the second tick at rest, never for a click or a drag.
  EXPECT_EQ(Run({{kLeft, {0, 0}}}), Calls{});
  EXPECT_EQ(trace.readiness, Calls{});
  Run({{kLeft, {0, 0}}});
  EXPECT_EQ(trace.readiness, Calls{"began"});
  EXPECT_EQ(Run({{kLeft, {0, 0}}, {kLeft, {5, 0}}}), (Calls{"start1@0,0", "step1@5,0"}));
  Run({{kNone, {5, 0}}, {kLeft, {0, 0}}, {kLeft, {4, 0}}, {kLeft, {4, 7}}, {kNone, {4, 7}}});
  EXPECT_EQ(trace.readiness, (Calls{"began", "ended"}));
  Run({{kLeft, {0, 0}}, {kLeft, {0, 0}}, {kNone, {0, 0}}});
  EXPECT_EQ(trace.readiness, (Calls{"began", "ended", "began", "ended"}));
  // Nothing for a press that can only be a click.
  input.own_windows_from_y = 0;
  Run({{kLeft, {0, 0}}, {kLeft, {0, 0}}, {kNone, {0, 0}}});
  EXPECT_EQ(trace.readiness.size(), 4u);
}

class PressEndingItsTargetTest : public WatcherTest, public ::testing::WithParamInterface<bool> {};

TEST_P(PressEndingItsTargetTest, StaysAClick) {
  // Pressed and ended between two ticks (the double-click on the cut-out, the click that closes
  // the menu): held on, then with a second button too, it starts nothing; only a release ends
  // the wait.
  const bool cutout = GetParam();
  (cutout ? shared.blnCutShown : input.menu_open) = true;
  Run({{kNone, {0, 0}}});
  shared.blnCutShown = input.menu_open = false;
  EXPECT_EQ(Run({{kLeft, {0, 0}},
                 {kLeft, {0, 0}},
                 {kLeft, {0, 0}},
                 {{kButtonLeft, kButtonRight}, {0, 0}},
                 {kRight, {0, 0}},
                 {kRight, {0, 0}},
                 {kRight, {0, 0}}}),
            Calls{});
  EXPECT_EQ(trace.readiness, Calls{});
  EXPECT_EQ(Run({{kNone, {0, 0}}, {kLeft, {0, 0}}, {kLeft, {0, 0}}, {kLeft, {0, 0}}}), Calls{"start1@0,0"});
}

INSTANTIATE_TEST_SUITE_P(CutoutAndMenu, PressEndingItsTargetTest, ::testing::Bool());

}  // namespace
}  // namespace petariko
