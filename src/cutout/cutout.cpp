#include "cutout/cutout.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/action_failed.h"
#include "core/ui_strings.h"

namespace petariko {

SaveRect BoundingRect(const OutlineStore& outline) {
  SaveRect rect;
  for (const Point& p : outline.ptOutline) {
    if (p == Point{}) continue;
    if (p.x < rect.left) rect.left = p.x;
    if (p.x > rect.right) rect.right = p.x;
    if (p.y < rect.top) rect.top = p.y;
    if (p.y > rect.bottom) rect.bottom = p.y;
  }
  return rect;
}

namespace {

// An outline without area gives the window no shape: it shows the whole frozen picture, and a
// copy or a save takes that picture.
bool Shaped(const OutlineStore& outline) { return outline.Points().size() >= 3 && !EnclosesNothing(outline.Points()); }

}  // namespace

void Cutout::OnMouseDown(int button, Point client) {
  if (button == kMouseRight) {
    // Deliberately not guarded by blnBusy: the window is hidden whenever it is busy.
    OpenMenu();
  } else if (button == kMouseLeft && !intDragging_ && Shown()) {
    lngGrabX_ = client.x;
    lngGrabY_ = client.y;
    intDragging_ = true;
  }
}

void Cutout::OnMouseMove(int held_buttons) {
  if (held_buttons != kMouseLeft || !intDragging_ || !Shown()) return;
  const Point cursor = window_.CursorPos();
  try {
    // The grabbed point stays under the cursor.
    window_.MoveTo({cursor.x - lngGrabX_, cursor.y - lngGrabY_});
  } catch (const ActionFailed&) {
    // This step of the drag is lost; the next move tries again.
  }
}

void Cutout::OnMouseUp() { EndDrag(); }

void Cutout::EndDrag() {
  intDragging_ = false;
  lngGrabX_ = 0;
  lngGrabY_ = 0;
}

bool Cutout::OnKey(char key, bool control) {
  const char* used = control ? "CS0" : "1234";
  if (key == 0 || std::strchr(used, key) == nullptr) return false;
  if (!Shown() || shared_.blnBusy) return true;
  if (control) {
    switch (key) {
      case 'C': Copy(); break;
      case 'S': SaveFromMenu(); break;
      default:
        if (zoom_) ChangeZoom([](CutoutZoom& zoom, Point top_left) { return zoom.Reset(top_left); });
        SetOpacity(kOpaque);
        break;
    }
  } else {
    switch (key) {
      case '1': Orient(orientation_.TurnedLeft()); break;
      case '2': Orient(orientation_.TurnedRight()); break;
      case '3': Orient(orientation_.FlippedLeftRight()); break;
      default: Orient(orientation_.FlippedTopBottom()); break;
    }
  }
  return true;
}

void Cutout::OnArrowKey(int dx, int dy, bool shift) {
  if (!Shown() || shared_.blnBusy) return;
  const int step = shift ? kArrowShiftStep : 1;
  try {
    const Point at = window_.Position();
    window_.MoveTo({at.x + dx * step, at.y + dy * step});
  } catch (const ActionFailed&) {
    // This step is lost; the next key tries again.
  }
}

void Cutout::OnWheel(int delta, Point cursor, bool control) {
  if (!Shown()) return;
  if (control) return ChangeOpacity(delta);
  CurrentZoom();
  ChangeZoom([&](CutoutZoom& zoom, Point top_left) { return zoom.Wheel(delta, top_left, cursor); });
}

CutoutZoom& Cutout::CurrentZoom() {
  if (!zoom_) zoom_.emplace(window_.PieceWidth(), window_.PieceHeight(), kMaxZoomDesktops * window_.DesktopArea());
  return *zoom_;
}

void Cutout::ChangeOpacity(int delta) {
  // Fine wheels send parts of a notch; they add up.
  opacity_wheel_rest_ += delta;
  const int notches = opacity_wheel_rest_ / CutoutZoom::kWheelNotch;
  opacity_wheel_rest_ -= notches * CutoutZoom::kWheelNotch;
  SetOpacity(std::clamp(opacity_ + notches * kOpacityStep, kLeastOpacity, kOpaque));
}

void Cutout::SetOpacity(int percent) {
  if (percent == opacity_) return;
  try {
    window_.SetOpacity(percent);
    opacity_ = percent;
  } catch (const ActionFailed&) {
    // The cut-out keeps the opacity it has.
  }
}

void Cutout::Orient(Orientation next) {
  CutoutZoom turned = CurrentZoom();
  if (next.SwapsSides() != orientation_.SwapsSides()) turned.SwapSides();
  try {
    // About the centre: the window's centre stays where it is (to the pixel, rounding down).
    const Point corner = window_.Position();
    const Placement placement{{corner.x + (CurrentZoom().Width() - turned.Width()) / 2,
                               corner.y + (CurrentZoom().Height() - turned.Height()) / 2},
                              turned.Width(),
                              turned.Height()};
    window_.Reshape(turned.scale(), next, placement);
  } catch (const ActionFailed&) {
    return;  // the cut-out stays as it was
  }
  *zoom_ = turned;
  orientation_ = next;
  EndDrag();
}

void Cutout::ChangeZoom(const std::function<std::optional<Placement>(CutoutZoom&, Point top_left)>& step) {
  const CutoutZoom before = *zoom_;
  try {
    ApplyZoom(step(*zoom_, window_.Position()));
  } catch (const ActionFailed&) {
    *zoom_ = before;
  }
}

void Cutout::ApplyZoom(const std::optional<Placement>& placement) {
  if (!placement) return;
  window_.Reshape(zoom_->scale(), orientation_, *placement);
  if (intDragging_) {
    // The drag goes on holding the picture point that is now under the cursor.
    const Point cursor = window_.CursorPos();
    lngGrabX_ = cursor.x - placement->top_left.x;
    lngGrabY_ = cursor.y - placement->top_left.y;
  }
}

void Cutout::Copy() {
  // One to one whatever the zoom: the rectangle a save writes, the shape the window has.
  const bool shaped = Shaped(outline_);
  bool copied = false;
  try {
    if (orientation_.IsIdentity()) {
      const SaveRect rect = shaped ? BoundingRect(outline_) : frozen_.Extent();
      std::vector<Point> in_piece;
      if (shaped) {
        for (const Point& p : outline_.Points()) in_piece.push_back({p.x - rect.left, p.y - rect.top});
      }
      copied = clipboard_.Copy(frozen_, rect, in_piece);
    } else {
      // Turned or mirrored: the whole piece as it is shown, its shape turned with it.
      const SaveRect piece = frozen_.Extent();
      std::vector<Point> in_piece;
      if (shaped) {
        for (const Point& p : outline_.Points()) in_piece.push_back({p.x - piece.left, p.y - piece.top});
      }
      FrozenImage& shown = window_.ShownPiece();
      copied = clipboard_.Copy(shown, shown.Extent(), orientation_.MapOutline(in_piece, piece.width(), piece.height()));
    }
  } catch (const ActionFailed&) {
    copied = false;
  }
  if (!copied) TellWhileHidden(ui::kCopyFailed, ui::kTitleError);
}

void Cutout::TellWhileHidden(const wchar_t* text, const wchar_t* title) {
  // No copy, save or menu action from the keyboard or the tray while the message is up.
  shared_.blnBusy = true;
  HideForLater();
  messages_.Show(text, title);
  EndBusy();
}

void Cutout::OnTrayNotify(int mouse_message) {
  if (shared_.blnBusy) return;
  if (mouse_message == kTrayLeftButtonDown || mouse_message == kTrayRightButtonDown) OpenMenu();
}

void Cutout::HideForLater() {
  EndDrag();
  // A second hide (the menu's erase of a hidden cut-out) keeps the place of the first.
  if (!hidden_for_later_) {
    try {
      const Point at = window_.Position();
      shared_.intCutLeft = at.x;
      shared_.intCutTop = at.y;
    } catch (const ActionFailed&) {
      // The place is not known: it comes back where the last one did, kept on a monitor.
    }
  }
  hidden_for_later_ = true;
  window_.Hide();
}

void Cutout::PutBack() {
  // A cut-out made while a question was up was never hidden: it stays where it is.
  if (!hidden_for_later_) return;
  hidden_for_later_ = false;
  window_.ShowAt({shared_.intCutLeft, shared_.intCutTop});
}

void Cutout::Erase() {
  if (!shared_.blnCutShown) return;
  HideForLater();
  hidden_for_later_ = false;
  window_.ResetShape();
  // The next cut-out starts at 100 %, opaque and upright.
  zoom_.reset();
  orientation_ = {};
  opacity_ = kOpaque;
  opacity_wheel_rest_ = 0;
  shared_.blnCutShown = false;
  outline_.Clear();
}

void Cutout::EraseFromMenu() {
  if (shared_.blnCutShown) {
    Erase();
  } else {
    messages_.Show(ui::kNothingCutOut, ui::kTitleError);
  }
}

void Cutout::SaveFromMenu() {
  if (!shared_.blnCutShown) {
    messages_.Show(ui::kNothingCutOut, ui::kTitleError);
    return;
  }
  shared_.blnBusy = true;
  HideForLater();

  std::optional<std::wstring> path;
  try {
    path = dialog_.Ask(last_file_name_);
  } catch (const ActionFailed&) {
    path.reset();
  }
  if (!path) {
    // Cancelled: no message, no file.
    EndBusy();
    return;
  }
  last_file_name_ = *path;

  if (WriteBoundingRect(*path)) {
    messages_.Show(ui::kSaveDone, ui::kTitleMessage);
  } else {
    messages_.Show(ui::kSaveFailed, ui::kTitleError);
  }
  EndBusy();
}

bool Cutout::WriteBoundingRect(const std::wstring& path) {
  const SaveRect rect = Shaped(outline_) ? BoundingRect(outline_) : frozen_.Extent();
  // A shape whose points lie on (0, 0), which counts as an empty slot, can leave no rectangle:
  // an empty file would be reported as saved.
  if (!BmpFits(rect.width(), rect.height())) return false;
  const auto row = [&](int y, std::uint8_t* bgr) { frozen_.ReadRow(rect.left, rect.top + y, rect.width(), bgr); };
  try {
    return writer_.WriteFile(path, [&](ByteSink& sink) { return WriteBmp(rect.width(), rect.height(), row, sink); });
  } catch (const ActionFailed&) {
    return false;
  }
}

void Cutout::EndBusy() {
  // The message, if any, has been shown before the window comes back.
  if (shared_.blnCutShown) PutBack();
  shared_.blnBusy = false;
}

}  // namespace petariko
