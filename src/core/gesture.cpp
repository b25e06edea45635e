#include "core/gesture.h"

#include <algorithm>
#include <utility>

#include "core/ui_strings.h"

namespace petariko {

namespace {

bool Within(int delta) { return -kStrokeThreshold < delta && delta < kStrokeThreshold; }

}  // namespace

int ClassifyMove(Point previous, Point newest) {
  const int dx = newest.x - previous.x;
  const int dy = newest.y - previous.y;
  // Strict on both axes: exactly 20 px is neither a stroke nor "still".
  if (Within(dx)) {
    if (dy < -kStrokeThreshold) return kDirectionUp;
    if (dy > kStrokeThreshold) return kDirectionDown;
    return kDirectionNone;
  }
  if (!Within(dy)) return kDirectionNone;  // diagonal
  if (dx < -kStrokeThreshold) return kDirectionLeft;
  if (dx > kStrokeThreshold) return kDirectionRight;
  return kDirectionNone;
}

std::wstring ArrowCharacter(int code) {
  switch (code) {
    case kDirectionUp: return ui::kArrowUp;
    case kDirectionLeft: return ui::kArrowLeft;
    case kDirectionRight: return ui::kArrowRight;
    case kDirectionDown: return ui::kArrowDown;
    default: return L"";
  }
}

Point ArrowCellPosition(int slot, Point monitor_corner, int dpi) {
  // Each place scaled on its own, so the row does not drift by the rounding of one step.
  return {monitor_corner.x + ScaleToDpi(slot * 50, dpi), monitor_corner.y + ScaleToDpi(50, dpi)};
}

void GestureRecognizer::OnPointStored(Point previous, Point newest) {
  // The first point stored after the start: `previous` is where the gesture began.
  if (!monitor_corner_) {
    monitor_corner_ = surface_.MonitorCorner(previous);
    monitor_dpi_ = surface_.DpiAt(previous);
  }
  const int code = ClassifyMove(previous, newest);
  // A pause or a wobble inside a stroke must not split it into two equal arrows.
  if (code == kDirectionNone || code == intArrow_[intArrowPos_ - 1]) {
    intArrow_[intArrowPos_] = kDirectionNone;
    return;
  }
  intArrow_[intArrowPos_] = code;
  if (intArrowPos_ <= kArrowSlots) {
    surface_.DrawArrowCell(code, ArrowCellPosition(intArrowPos_, *monitor_corner_, monitor_dpi_));
  }
  ++intArrowPos_;
  if (intArrowPos_ > kArrowSlots + 1) {
    // Keep the last five: shift left and redraw the whole row.
    for (int slot = 1; slot <= kArrowSlots; ++slot) {
      intArrow_[slot] = intArrow_[slot + 1];
      surface_.DrawArrowCell(intArrow_[slot], ArrowCellPosition(slot, *monitor_corner_, monitor_dpi_));
    }
    intArrowPos_ = kArrowSlots + 1;
  }
  LookUp();
}

std::wstring GestureRecognizer::ArrowString() const {
  std::wstring arrows;
  for (int slot = 1; slot <= kArrowSlots; ++slot) arrows += ArrowCharacter(intArrow_[slot]);
  return arrows;
}

void GestureRecognizer::LookUp() {
  const std::wstring arrows = ArrowString();
  if (arrows.empty()) return;
  // The lowest index wins; an empty entry can never equal a non-empty string.
  const auto& gestures = settings_.strGesture;
  const auto found = std::find(gestures.begin(), gestures.end(), arrows);
  if (found == gestures.end()) {
    surface_.HideLabel();
    strRunProgram_.clear();
    return;
  }
  const std::wstring& program = settings_.strProgram[found - gestures.begin()];
  const Point offset = ScaleToDpi(kLabelPosition, monitor_dpi_);
  surface_.ShowLabel(ui::kRunProgramPrefix + program + L" ",
                     {monitor_corner_->x + offset.x, monitor_corner_->y + offset.y});
  strRunProgram_ = program;
}

void GestureRecognizer::Clear() {
  intArrow_.fill(kDirectionNone);
  intArrowPos_ = 1;
  surface_.HideLabel();
  strRunProgram_.clear();
  monitor_corner_.reset();
}

void GestureRecognizer::Reset() { Clear(); }

void GestureRecognizer::Finish() {
  // Cleared before the launch so that the next gesture starts clean even if the launch throws.
  std::wstring program = std::exchange(strRunProgram_, std::wstring());
  Clear();
  if (!program.empty()) launcher_.Launch(program);
}

}  // namespace petariko
