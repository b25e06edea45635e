#include "core/watcher.h"

namespace petariko {

int PhysicalButton(int virtual_key, bool swapped) {
  if (!swapped) return virtual_key;
  if (virtual_key == kButtonLeft) return kButtonRight;
  if (virtual_key == kButtonRight) return kButtonLeft;
  return virtual_key;
}

void Watcher::Tick() {
  if (shared_.blnBusy) return;
  swapped_ = input_.ButtonsSwapped();

  const int cut = settings_.lngCutButton;
  const int gesture = settings_.lngGestureButton;
  // Four queries in this order; the release test uses the first pair for "none held" and
  // the second pair for "both held".
  const bool cut_first = IsHeld(cut);
  const bool gesture_first = IsHeld(gesture);
  const bool cut_second = IsHeld(cut);
  const bool gesture_second = IsHeld(gesture);

  const bool both_held = cut_second && gesture_second;
  const bool none_held = !cut_first && !gesture_first;
  // A press seen while the cut-out is up or the menu open, or at the first tick after either went
  // away, began on them: it stays a click when the double-click erases the window from under it,
  // and the click that closes the menu is no hold where it lands.
  const bool press_target = shared_.blnCutShown || input_.IsMenuOpen();
  if (!none_held && (press_target || press_target_at_last_tick_)) waiting_for_release_ = true;
  press_target_at_last_tick_ = press_target;
  if (both_held || none_held || shared_.blnCutShown) {
    Release(none_held);
  } else {
    Hold();
  }
}

void Watcher::Release(bool none_held) {
  if (trace_.IsTracing()) {
    if (intMode_ == TraceMode::kCutout) {
      trace_.FinishCutout();
    } else if (intMode_ == TraceMode::kGesture) {
      trace_.FinishGesture();
    }
  }
  intHoldCount_ = 0;
  if (none_held) waiting_for_release_ = false;
  if (hold_began_) {
    hold_began_ = false;
    trace_.HoldEnded();
  }
}

void Watcher::Hold() {
  if (IsHeld(settings_.lngCutButton)) {
    intMode_ = TraceMode::kCutout;
  } else if (IsHeld(settings_.lngGestureButton)) {
    intMode_ = TraceMode::kGesture;
  }

  const Point cursor = input_.CursorPos();
  if (intHoldCount_ == 0) {
    ptAnchor_ = cursor;
    hold_on_own_window_ = input_.IsOverOwnWindow(cursor);
  }
  if (cursor == ptAnchor_ && intHoldCount_ < kHoldCountLimit) ++intHoldCount_;
  // Made ready one tick before the start, not at the press: what a start needs is a picture of
  // the whole desktop, too much to make and give back for every click and drag.
  if (!hold_began_ && intHoldCount_ >= settings_.intWaitTime - 1 && !waiting_for_release_ && !hold_on_own_window_ &&
      !trace_.IsTracing()) {
    hold_began_ = true;
    trace_.HoldBegan();
  }

  if (!trace_.IsTracing()) {
    if (intHoldCount_ == settings_.intWaitTime && !waiting_for_release_ && !StartsNothing(cursor)) {
      input_.EscapePressed();  // a press from before the trace does not give it up
      trace_.Start(intMode_, cursor);
    }
    return;
  }

  if (input_.EscapePressed()) {
    trace_.Cancel();
    waiting_for_release_ = true;
    return;
  }
  if (trace_.Step(intMode_, cursor) == StepOutcome::kTooLong) {
    waiting_for_release_ = true;
    trace_.ReportTooLong();
  }
}

}  // namespace petariko
