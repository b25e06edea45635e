// The freehand trace over the frozen screen (Form1 as a full-screen canvas): it freezes the
// screen, stores and draws one cursor sample per tick, enforces the length limit and turns a
// finished cut-out trace into the shaped window.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <span>

#include "core/colour.h"
#include "core/gesture_hooks.h"
#include "core/point.h"
#include "core/settings_store.h"
#include "core/user_messages.h"
#include "core/watcher.h"

namespace petariko {

// The outline of the current trace or cut-out (Form1's ptOutline and intLastPoint).
struct OutlineStore {
  static constexpr int kSlots = 101;
  // A trace is abandoned when it reaches this index, so a finished one ends at index 99.
  static constexpr int kLimit = 100;

  std::array<Point, kSlots> ptOutline{};  // unused slots are (0, 0)
  int intLastPoint = 0;

  void Clear() {
    ptOutline.fill(Point{});
    intLastPoint = 0;
  }
  // Points 0..intLastPoint.
  std::span<const Point> Points() const { return {ptOutline.data(), static_cast<std::size_t>(intLastPoint) + 1}; }
};

// The trace colours: one generator with a fixed seed, never reseeded, so every run draws the
// same sequence. Each component is the integer part of 256 * u for a uniform u in [0, 1).
class ColourSequence {
 public:
  static constexpr std::uint32_t kSeed = 5489u;
  Rgb Next();

 private:
  std::uint8_t NextComponent() {
    // The top 8 bits of a 32-bit draw are exactly floor(256 * draw / 2^32).
    return static_cast<std::uint8_t>(generator_() >> 24);
  }
  std::mt19937 generator_{kSeed};
};

// What the trace needs from the window that shows the frozen screen and becomes the cut-out.
class FrozenScreenWindow {
 public:
  virtual ~FrozenScreenWindow() = default;
  // While a hold counts: makes ready what the freeze needs, so that the freeze only copies the
  // desktop. It throws nothing; what it could not make, the freeze makes (or fails) itself.
  virtual void PrepareFreeze() = 0;
  // The hold ended: gives back what PrepareFreeze made and no freeze took.
  virtual void DropPreparedFreeze() = 0;
  // Places the (still hidden) window over the whole desktop, every monitor, topmost.
  virtual void CoverScreen() = 0;
  // Copies the desktop from its corner onto the window's surface and keeps a clean copy of it.
  virtual void Freeze() = 0;
  // The program icon (cut-out) or the up arrow (gesture), centred here: 32x32 at 100 %, larger
  // on a monitor of a larger scale. Lines and arrows of the trace follow that monitor's scale.
  virtual void DrawStartMarker(TraceMode mode, Point centre) = 0;
  virtual void DrawLine(Point from, Point to, Rgb colour) = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  // Wipes everything drawn since Freeze, back to the clean copy.
  virtual void WipeToFrozen() = 0;
  // Clips the window to the closed polygon (winding fill); fewer than three points leave it
  // unshaped. False, with the window left unshaped, when the polygon's region is empty.
  virtual bool ClipToOutline(std::span<const Point> outline) = 0;
  virtual void MoveBy(int dx, int dy) = 0;
};

// True when three or more points all lie on one line: such an outline encloses nothing, and a
// window of that shape could be neither seen nor clicked.
bool EnclosesNothing(std::span<const Point> outline);

class Trace : public TraceHandler {
 public:
  // Where a finished cut-out lands relative to where it was drawn.
  static constexpr int kCutoutOffset = 10;

  Trace(OutlineStore& outline, SharedState& shared, FrozenScreenWindow& window, GestureHooks& gesture,
        UserMessages& messages)
      : outline_(outline), shared_(shared), window_(window), gesture_(gesture), messages_(messages) {}

  bool IsTracing() const override { return blnTracing_; }
  void Start(TraceMode mode, Point cursor) override;
  StepOutcome Step(TraceMode mode, Point cursor) override;
  void ReportTooLong() override;
  void FinishCutout() override;
  void FinishGesture() override;
  void Cancel() override;
  void HoldBegan() override { window_.PrepareFreeze(); }
  void HoldEnded() override { window_.DropPreparedFreeze(); }

 private:
  // Ends a trace without a cut-out: the frozen screen goes, the outline is emptied.
  void Abandon();

  OutlineStore& outline_;
  SharedState& shared_;
  FrozenScreenWindow& window_;
  GestureHooks& gesture_;
  UserMessages& messages_;

  bool blnTracing_ = false;
  ColourSequence colours_;
};

}  // namespace petariko
