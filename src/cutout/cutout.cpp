#include "cutout/cutout.h"

#include <exception>
#include <vector>

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
  // The grabbed point stays under the cursor.
  window_.MoveTo({cursor.x - lngGrabX_, cursor.y - lngGrabY_});
}

void Cutout::OnMouseUp() { EndDrag(); }

void Cutout::EndDrag() {
  intDragging_ = false;
  lngGrabX_ = 0;
  lngGrabY_ = 0;
}

void Cutout::OnControlKey(char key) {
  if (!Shown() || shared_.blnBusy) return;
  switch (key) {
    case 'C': Copy(); break;
    case 'S': SaveFromMenu(); break;
    case '0':
      if (zoom_) ApplyZoom(zoom_->Reset(window_.Position()));
      break;
    default: break;
  }
}

void Cutout::OnWheel(int delta, Point cursor) {
  if (!Shown()) return;
  ApplyZoom(CurrentZoom().Wheel(delta, window_.Position(), cursor));
}

CutoutZoom& Cutout::CurrentZoom() {
  if (!zoom_) zoom_.emplace(window_.PieceWidth(), window_.PieceHeight());
  return *zoom_;
}

void Cutout::ApplyZoom(const std::optional<Placement>& placement) {
  if (!placement) return;
  window_.Zoom(zoom_->scale(), *placement);
  if (intDragging_) {
    // The drag goes on holding the picture point that is now under the cursor.
    const Point cursor = window_.CursorPos();
    lngGrabX_ = cursor.x - placement->top_left.x;
    lngGrabY_ = cursor.y - placement->top_left.y;
  }
}

void Cutout::Copy() {
  // One to one whatever the zoom: the rectangle a save writes, the shape the window has.
  const SaveRect rect = BoundingRect(outline_);
  std::vector<Point> in_piece;
  for (const Point& p : outline_.Points()) in_piece.push_back({p.x - rect.left, p.y - rect.top});
  bool copied = false;
  try {
    copied = clipboard_.Copy(frozen_, rect, in_piece);
  } catch (const std::exception&) {
    copied = false;
  }
  if (copied) return;
  // No second copy or save from the keyboard while the message is up.
  shared_.blnBusy = true;
  messages_.Show(ui::kCopyFailed, ui::kTitleError);
  shared_.blnBusy = false;
}

void Cutout::OnTrayNotify(int mouse_message) {
  if (shared_.blnBusy) return;
  if (mouse_message == kTrayLeftButtonDown || mouse_message == kTrayRightButtonDown) OpenMenu();
}

void Cutout::HideForLater() {
  EndDrag();
  // A second hide (the menu's erase of a hidden cut-out) keeps the place of the first.
  if (!hidden_for_later_) {
    const Point at = window_.Position();
    shared_.intCutLeft = at.x;
    shared_.intCutTop = at.y;
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
  zoom_.reset();  // the next cut-out starts at 100 %
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
  } catch (const std::exception&) {
    path.reset();
  }
  if (!path) {
    // Cancelled: no message, no file.
    EndSave();
    return;
  }
  last_file_name_ = *path;

  if (WriteBoundingRect(*path)) {
    messages_.Show(ui::kSaveDone, ui::kTitleMessage);
  } else {
    messages_.Show(ui::kSaveFailed, ui::kTitleError);
  }
  EndSave();
}

bool Cutout::WriteBoundingRect(const std::wstring& path) {
  const SaveRect rect = BoundingRect(outline_);
  // All points on one line, or none besides (0, 0): there is no picture to write, and an
  // empty or negative-sized file would be reported as saved.
  if (!BmpFits(rect.width(), rect.height())) return false;
  const auto row = [&](int y, std::uint8_t* bgr) { frozen_.ReadRow(rect.left, rect.top + y, rect.width(), bgr); };
  try {
    return writer_.WriteFile(path, [&](ByteSink& sink) { return WriteBmp(rect.width(), rect.height(), row, sink); });
  } catch (const std::exception&) {
    return false;
  }
}

void Cutout::EndSave() {
  // The message, if any, has been shown before the window comes back.
  if (shared_.blnCutShown) PutBack();
  shared_.blnBusy = false;
}

}  // namespace petariko
