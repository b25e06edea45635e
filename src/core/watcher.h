// The 100 ms tick that watches the two configured mouse buttons and decides when a trace
// starts, steps and finishes (Form1's timer).
#pragma once

#include "core/point.h"
#include "core/settings_store.h"

namespace petariko {

// What the watcher needs from the desktop.
class InputPort {
 public:
  virtual ~InputPort() = default;
  // True when the button with this virtual-key code is down now, whichever window has focus.
  // Mouse buttons are read as the physical buttons.
  virtual bool IsKeyDown(int virtual_key) = 0;
  virtual Point CursorPos() = 0;
  // True when the system swaps the mouse buttons (a left-handed mouse).
  virtual bool ButtonsSwapped() { return false; }
  // True when one of the program's own windows (a menu, message box or dialog) is at `screen`.
  virtual bool IsOverOwnWindow(Point /*screen*/) { return false; }
  // True while the program's popup menu is open: a press anywhere then closes it.
  virtual bool IsMenuOpen() { return false; }
  // True when Esc is down now or has been pressed since the last call: a tap between two ticks
  // counts too.
  virtual bool EscapePressed() { return false; }
};

// The physical button that plays the role of the logical button `virtual_key` (left or right,
// as the settings name them): with swapped buttons the two trade places.
int PhysicalButton(int virtual_key, bool swapped);

enum class TraceMode { kNone = 0, kCutout = 1, kGesture = 2 };

enum class StepOutcome {
  kContinued,
  kTooLong,  // the length limit abandoned the trace; it is already reset and hidden
};

// The trace the watcher drives: the frozen screen, the outline and, for gestures, the arrows.
class TraceHandler {
 public:
  virtual ~TraceHandler() = default;
  virtual bool IsTracing() const = 0;
  virtual void Start(TraceMode mode, Point cursor) = 0;
  virtual StepOutcome Step(TraceMode mode, Point cursor) = 0;
  // Tells the user an abandoned trace was too long. Ticks keep running while it is shown.
  virtual void ReportTooLong() = 0;
  virtual void FinishCutout() = 0;
  virtual void FinishGesture() = 0;
  // The user gave the trace up (Esc): the frozen screen goes, nothing is pinned or started.
  virtual void Cancel() = 0;
  // A hold is one tick from starting a trace, and it ended (after the trace, if one started):
  // what a start needs can be made ready in between, so that the start itself is quick.
  virtual void HoldBegan() {}
  virtual void HoldEnded() {}
};

class Watcher {
 public:
  // The hold count stops here rather than overflowing its 16 bits.
  static constexpr int kHoldCountLimit = 32767;

  Watcher(const SettingsStore& settings, const SharedState& shared, InputPort& input, TraceHandler& trace)
      : settings_(settings), shared_(shared), input_(input), trace_(trace) {}

  void Tick();

  int intHoldCount() const { return intHoldCount_; }
  TraceMode intMode() const { return intMode_; }
  Point ptAnchor() const { return ptAnchor_; }

 private:
  bool IsHeld(int virtual_key) {
    return virtual_key != kButtonUnused && input_.IsKeyDown(PhysicalButton(virtual_key, swapped_));
  }
  // A hold that begins, or reaches the hold time, over one of the program's own windows is a
  // slow click on it: it starts nothing.
  bool StartsNothing(Point cursor) { return hold_on_own_window_ || input_.IsOverOwnWindow(cursor); }
  void Release(bool none_held);
  void Hold();

  const SettingsStore& settings_;
  const SharedState& shared_;
  InputPort& input_;
  TraceHandler& trace_;

  TraceMode intMode_ = TraceMode::kNone;
  int intHoldCount_ = 0;
  Point ptAnchor_;
  // No new trace until no button is held: set when the length limit abandoned a trace (a fresh
  // frozen screen would cover the "too long" message the user must read), when Esc gave one up,
  // for a press made on the cut-out, which may erase it (the double-click) and leave the press
  // held over whatever lay beneath, and for the press that closes the menu.
  bool waiting_for_release_ = false;
  // The cut-out was up or the menu open at the last tick: a press seen now may have ended them.
  bool press_target_at_last_tick_ = false;
  bool hold_on_own_window_ = false;
  bool hold_began_ = false;  // HoldBegan was called; HoldEnded is owed at the release
  // Read at every tick, so that a change of the system's setting counts at once.
  bool swapped_ = false;
};

}  // namespace petariko
