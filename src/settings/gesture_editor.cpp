#include "settings/gesture_editor.h"

#include "core/settings_file.h"
#include "core/ui_strings.h"

namespace petariko {

wchar_t ArrowChar(Arrow arrow) {
  switch (arrow) {
    case Arrow::kUp: return ui::kArrowUp[0];
    case Arrow::kLeft: return ui::kArrowLeft[0];
    case Arrow::kRight: return ui::kArrowRight[0];
    case Arrow::kDown: return ui::kArrowDown[0];
  }
  return ui::kArrowUp[0];
}

void GestureEditor::PressArrow(Arrow arrow) {
  const wchar_t c = ArrowChar(arrow);
  if (gesture_.empty() || gesture_.back() != c) gesture_.push_back(c);
  // Only the last five strokes can ever be matched, so an over-long gesture from a
  // hand-edited file is trimmed too, instead of growing out of reach.
  if (gesture_.size() > kMaxGestureLength) {
    gesture_.erase(0, gesture_.size() - kMaxGestureLength);
  }
}

EditorCheck GestureEditor::CheckOk(const PathProbe& probe) const {
  if (path_.empty()) return EditorCheck::kNeedProgram;
  if (!IsStorableText(path_)) return EditorCheck::kUnstorable;
  if (!probe.Exists(path_)) return EditorCheck::kFileMissing;
  return EditorCheck::kAccepted;
}

const wchar_t* EditorCheckMessage(EditorCheck check) {
  switch (check) {
    case EditorCheck::kNeedProgram: return ui::kNeedProgram;
    case EditorCheck::kUnstorable: return ui::kPathUnstorable;
    case EditorCheck::kFileMissing: return ui::kFileMissing;
    case EditorCheck::kAccepted: break;
  }
  return L"";
}

}  // namespace petariko
