// The eight button options of the settings screen and the rule that keeps the cut-out and the
// gesture function off the same mouse button.
#pragma once

#include <array>

namespace petariko {

inline constexpr int kOptionCount = 8;

// Indices of the Option1 array. 0-2 and 6 sit in the cut-out frame, 3-5 and 7 in the gesture
// frame; the odd numbering is the one the screen was laid out with and is kept.
inline constexpr int kOptCutLeft = 0;
inline constexpr int kOptCutMiddle = 1;
inline constexpr int kOptCutRight = 2;
inline constexpr int kOptGestureLeft = 3;
inline constexpr int kOptGestureMiddle = 4;
inline constexpr int kOptGestureRight = 5;
inline constexpr int kOptCutUnused = 6;
inline constexpr int kOptGestureUnused = 7;

// The selection and enabled state of the options. Starts as the screen is designed: nothing
// selected, everything enabled.
class OptionRules {
 public:
  // Selects `index` in its frame and applies the exclusion rule, exactly as a click does.
  void Select(int index);

  // Selects the cut-out option, then the gesture option, from the stored button codes. When
  // both name the same button the gesture keeps it and the cut-out moves on.
  void Load(int lngCutButton, int lngGestureButton);

  bool IsSelected(int index) const { return selected_[index]; }
  bool IsEnabled(int index) const { return enabled_[index]; }

  // The button codes to store: 1, 4, 2, or 0 for "未使用" (or nothing selected).
  int CutButton() const;
  int GestureButton() const;

  // -1 while the frame has nothing selected.
  int SelectedCutOption() const;
  int SelectedGestureOption() const;

 private:
  std::array<bool, kOptionCount> selected_{};
  std::array<bool, kOptionCount> enabled_{true, true, true, true, true, true, true, true};
};

// Which frame an option belongs to.
bool IsCutOption(int index);

// The same button in the other frame, or -1 for the two "未使用" options.
int PartnerOf(int index);

// The hold-time slider runs from 2 to 10; a stored value outside that shows as the nearest end.
inline constexpr int kHoldTimeMin = 2;
inline constexpr int kHoldTimeMax = 10;
int SliderPositionFor(int intWaitTime);

}  // namespace petariko
