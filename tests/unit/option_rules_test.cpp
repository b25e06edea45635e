#include "settings/option_rules.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/settings_store.h"
#include "settings/working_copy.h"

namespace petariko {
namespace {

// The state the screen must always show: in each frame one option is selected, the partner
// of a selected button option is disabled, and every other button option is enabled.
void ExpectInvariant(const OptionRules& rules, const std::string& how) {
  SCOPED_TRACE(how);
  const int cut = rules.SelectedCutOption();
  const int gesture = rules.SelectedGestureOption();
  ASSERT_NE(cut, -1);
  ASSERT_NE(gesture, -1);
  EXPECT_NE(PartnerOf(cut), gesture) << "both functions on one button";
  for (int i = 0; i < kOptionCount; ++i) {
    const bool disabled_expected = (i == PartnerOf(cut) || i == PartnerOf(gesture));
    EXPECT_EQ(rules.IsEnabled(i), !disabled_expected) << "option " << i;
  }
  EXPECT_TRUE(rules.IsEnabled(kOptCutUnused));
  EXPECT_TRUE(rules.IsEnabled(kOptGestureUnused));
}

TEST(OptionRulesTest, LoadedPairsAndEveryClickSequenceKeepTheInvariant) {
  // 3 stands for any code the screen does not know.
  const int codes[] = {kButtonUnused, kButtonLeft, kButtonRight, 3, kButtonMiddle};
  int states_checked = 0;
  for (int cut : codes) {
    for (int gesture : codes) {
      OptionRules start;
      start.Load(cut, gesture);
      const std::string loaded = "load " + std::to_string(cut) + "," + std::to_string(gesture);
      ExpectInvariant(start, loaded);
      // Every sequence of up to three clicks on enabled options, as a user can make them.
      std::function<void(const OptionRules&, const std::string&, int)> walk = [&](const OptionRules& rules,
                                                                                  const std::string& how, int depth) {
        ++states_checked;
        if (depth == 3) return;
        for (int i = 0; i < kOptionCount; ++i) {
          if (!rules.IsEnabled(i)) continue;
          OptionRules next = rules;
          next.Select(i);
          const std::string next_how = how + " click " + std::to_string(i);
          ExpectInvariant(next, next_how);
          EXPECT_TRUE(next.IsSelected(i)) << next_how << ": a click never moves itself";
          walk(next, next_how, depth + 1);
        }
      };
      walk(start, loaded, 0);
    }
  }
  EXPECT_GT(states_checked, 25 * 100);
}

struct LoadCase {
  int cut_code, gesture_code;
  int cut_option, gesture_option;  // what gets selected
  int saved_cut, saved_gesture;    // what OK stores
};

class OptionLoadTest : public testing::TestWithParam<LoadCase> {};

TEST_P(OptionLoadTest, SelectsAndMapsBack) {
  const LoadCase& c = GetParam();
  OptionRules rules;
  rules.Load(c.cut_code, c.gesture_code);
  EXPECT_EQ(rules.SelectedCutOption(), c.cut_option);
  EXPECT_EQ(rules.SelectedGestureOption(), c.gesture_option);
  EXPECT_EQ(rules.CutButton(), c.saved_cut);
  EXPECT_EQ(rules.GestureButton(), c.saved_gesture);
}

INSTANTIATE_TEST_SUITE_P(Pairs, OptionLoadTest,
                         testing::Values(
                             // Distinct buttons load as they are.
                             LoadCase{1, 2, kOptCutLeft, kOptGestureRight, 1, 2},
                             LoadCase{4, 1, kOptCutMiddle, kOptGestureLeft, 4, 1},
                             LoadCase{2, 4, kOptCutRight, kOptGestureMiddle, 2, 4},
                             // A clash: the gesture keeps the button, the cut-out moves on left -> middle -> right.
                             LoadCase{1, 1, kOptCutMiddle, kOptGestureLeft, 4, 1},
                             LoadCase{4, 4, kOptCutRight, kOptGestureMiddle, 2, 4},
                             LoadCase{2, 2, kOptCutLeft, kOptGestureRight, 1, 2},
                             // Unknown codes load as "未使用" and save as 0.
                             LoadCase{3, 1, kOptCutUnused, kOptGestureLeft, 0, 1},
                             LoadCase{-1, 65536, kOptCutUnused, kOptGestureUnused, 0, 0},
                             LoadCase{0, 0, kOptCutUnused, kOptGestureUnused, 0, 0}));

TEST(OptionRulesTest, ClashOnLoadDisablesTheMovedPairs) {
  OptionRules rules;
  rules.Load(kButtonLeft, kButtonLeft);
  EXPECT_FALSE(rules.IsEnabled(kOptCutLeft));
  EXPECT_FALSE(rules.IsEnabled(kOptGestureMiddle));
  for (int i : {kOptCutMiddle, kOptCutRight, kOptCutUnused, kOptGestureLeft, kOptGestureRight, kOptGestureUnused}) {
    EXPECT_TRUE(rules.IsEnabled(i)) << i;
  }
}

TEST(OptionRulesTest, UnusedFreesTheOtherFrame) {
  OptionRules rules;
  rules.Load(kButtonUnused, kButtonRight);
  rules.Select(kOptCutLeft);
  EXPECT_FALSE(rules.IsEnabled(kOptGestureLeft));
  rules.Select(kOptCutUnused);
  for (int i = kOptGestureLeft; i <= kOptGestureRight; ++i) EXPECT_TRUE(rules.IsEnabled(i));
}

TEST(SettingsWorkingCopyTest, LoadClampsHoldTimeAndCommitWritesEverything) {
  SettingsStore store;
  store.lngCutButton = 1;
  store.lngGestureButton = 1;
  store.strProgram[4] = L"C:\\a.exe";  // a gap above survives the round trip
  store.strGesture[4] = L"↑→";
  store.strGesture[7] = L"←";  // gesture without a path is kept as it stands
  for (auto [stored, shown] : {std::pair{-5, 2}, {1, 2}, {2, 2}, {7, 7}, {10, 10}, {11, 10}, {32767, 10}}) {
    store.intWaitTime = stored;
    EXPECT_EQ(SettingsWorkingCopy::Load(store).hold_time, shown) << stored;
  }

  store.intWaitTime = 99;
  const SettingsStore before = store;
  SettingsWorkingCopy copy = SettingsWorkingCopy::Load(store);
  EXPECT_EQ(store, before) << "loading writes nothing back";

  SettingsStore out = store;
  copy.CommitTo(out);
  EXPECT_EQ(out.lngCutButton, kButtonMiddle);
  EXPECT_EQ(out.lngGestureButton, kButtonLeft);
  EXPECT_EQ(out.intWaitTime, 10);
  EXPECT_EQ(out.strProgram, store.strProgram);
  EXPECT_EQ(out.strGesture, store.strGesture);
}

}  // namespace
}  // namespace petariko
