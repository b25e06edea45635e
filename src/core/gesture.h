// Reads quick straight strokes of a gesture trace as arrows, shows the last five over the frozen
// screen, names the program registered for them and starts it on release.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "core/gesture_hooks.h"
#include "core/mark_scale.h"
#include "core/point.h"
#include "core/settings_store.h"

namespace petariko {

// Direction codes; also the 1-based cells of the arrow strip.
enum Direction : int {
  kDirectionNone = 0,
  kDirectionUp = 1,
  kDirectionLeft = 2,
  kDirectionRight = 3,
  kDirectionDown = 4,
};

inline constexpr int kArrowSlots = 5;
// A stroke must cover more than this many pixels per tick along one axis and less along the other.
inline constexpr int kStrokeThreshold = 20;
// From the corner of the monitor on which the gesture began, at 96 dpi.
inline constexpr Point kLabelPosition{50, 90};

// The direction of one tick's movement, or kDirectionNone for slow, diagonal or no movement.
int ClassifyMove(Point previous, Point newest);
// The arrow character of a code, or an empty string for kDirectionNone.
std::wstring ArrowCharacter(int code);
// Where the arrow of slot `slot` (1 to 5) is drawn, on the monitor whose corner and scale are
// given: 50 pixels apart at 96 dpi, further apart at larger scales.
Point ArrowCellPosition(int slot, Point monitor_corner, int dpi);

// Form1's gesture state; the trace calls it through GestureHooks.
class GestureRecognizer : public GestureHooks {
 public:
  GestureRecognizer(const SettingsStore& settings, GestureSurface& surface, ProgramLauncher& launcher)
      : settings_(settings), surface_(surface), launcher_(launcher) {}

  void OnPointStored(Point previous, Point newest) override;
  void Reset() override;
  void Finish() override;

  // The arrows shown, oldest first, as characters.
  std::wstring ArrowString() const;
  const std::array<int, 11>& intArrow() const { return intArrow_; }
  int intArrowPos() const { return intArrowPos_; }
  const std::wstring& strRunProgram() const { return strRunProgram_; }

 private:
  void LookUp();
  void Clear();

  const SettingsStore& settings_;
  GestureSurface& surface_;
  ProgramLauncher& launcher_;

  // Slot 0 stays 0 so the first arrow has a "previous" to compare with; slots 1 to 5 are
  // shown; slot 6 takes a sixth arrow until the row scrolls.
  std::array<int, 11> intArrow_{};
  int intArrowPos_ = 1;
  std::wstring strRunProgram_;
  // Where the user is looking: the corner of the monitor on which the gesture began, and its
  // scale.
  std::optional<Point> monitor_corner_;
  int monitor_dpi_ = kDesignDpi;
};

}  // namespace petariko
