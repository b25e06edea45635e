#include "settings/option_rules.h"

#include <algorithm>

#include "core/settings_store.h"

namespace petariko {
namespace {

// Button codes in frame order: left, middle, right.
constexpr std::array<int, 3> kCodes = {kButtonLeft, kButtonMiddle, kButtonRight};

// Position 0..2 of a button option within its frame, or -1 for "未使用".
int ButtonSlot(int index) {
  if (index >= kOptCutLeft && index <= kOptCutRight) return index;
  if (index >= kOptGestureLeft && index <= kOptGestureRight) return index - kOptGestureLeft;
  return -1;
}

int FirstButtonOf(bool cut_frame) { return cut_frame ? kOptCutLeft : kOptGestureLeft; }

int OptionForCode(int code, bool cut_frame) {
  for (int slot = 0; slot < 3; ++slot) {
    if (kCodes[slot] == code) return FirstButtonOf(cut_frame) + slot;
  }
  return cut_frame ? kOptCutUnused : kOptGestureUnused;
}

}  // namespace

bool IsCutOption(int index) { return (index >= kOptCutLeft && index <= kOptCutRight) || index == kOptCutUnused; }

int PartnerOf(int index) {
  const int slot = ButtonSlot(index);
  if (slot < 0) return -1;
  return FirstButtonOf(!IsCutOption(index)) + slot;
}

void OptionRules::Select(int index) {
  if (index < 0 || index >= kOptionCount) return;
  const bool cut_frame = IsCutOption(index);
  for (int i = 0; i < kOptionCount; ++i) {
    if (IsCutOption(i) == cut_frame) selected_[i] = (i == index);
  }

  const int other_first = FirstButtonOf(!cut_frame);
  const int partner = PartnerOf(index);
  for (int i = other_first; i < other_first + 3; ++i) enabled_[i] = (i != partner);

  // Only a load can bring both functions onto one button; the other frame then gives way to
  // the next button in the cycle left -> middle -> right -> left.
  if (partner >= 0 && selected_[partner]) {
    Select(other_first + (ButtonSlot(partner) + 1) % 3);
  }
}

void OptionRules::Load(int lngCutButton, int lngGestureButton) {
  Select(OptionForCode(lngCutButton, true));
  Select(OptionForCode(lngGestureButton, false));
}

int OptionRules::SelectedCutOption() const {
  for (int i : {kOptCutLeft, kOptCutMiddle, kOptCutRight, kOptCutUnused}) {
    if (selected_[i]) return i;
  }
  return -1;
}

int OptionRules::SelectedGestureOption() const {
  for (int i : {kOptGestureLeft, kOptGestureMiddle, kOptGestureRight, kOptGestureUnused}) {
    if (selected_[i]) return i;
  }
  return -1;
}

int OptionRules::CutButton() const {
  const int slot = ButtonSlot(SelectedCutOption());
  return slot < 0 ? kButtonUnused : kCodes[slot];
}

int OptionRules::GestureButton() const {
  const int slot = ButtonSlot(SelectedGestureOption());
  return slot < 0 ? kButtonUnused : kCodes[slot];
}

int SliderPositionFor(int intWaitTime) { return std::clamp(intWaitTime, kHoldTimeMin, kHoldTimeMax); }

}  // namespace petariko
