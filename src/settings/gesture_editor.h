// The gesture editor's state: a program path and an arrow gesture entered with four buttons.
#pragma once

#include <string>

namespace petariko {

// The arrow buttons, in the order of the editor's button array.
enum class Arrow { kUp = 0, kLeft = 1, kRight = 2, kDown = 3 };

wchar_t ArrowChar(Arrow arrow);

inline constexpr std::size_t kMaxGestureLength = 5;

// Answers whether a path text names something on disk.
class PathProbe {
 public:
  virtual ~PathProbe() = default;
  // The text is used whole, as a search pattern: a file or a folder passes, and so does a
  // wildcard pattern that matches something.
  virtual bool Exists(const std::wstring& text) const = 0;
};

enum class EditorCheck { kAccepted, kNeedProgram, kUnstorable, kFileMissing };

class GestureEditor {
 public:
  GestureEditor() = default;
  GestureEditor(std::wstring path, std::wstring gesture) : path_(std::move(path)), gesture_(std::move(gesture)) {}

  const std::wstring& path() const { return path_; }
  const std::wstring& gesture() const { return gesture_; }
  void set_path(std::wstring path) { path_ = std::move(path); }

  // Appends the arrow unless it equals the last one, then keeps only the last five.
  void PressArrow(Arrow arrow);
  void Clear() { gesture_.clear(); }

  // What OK does with the current path; only kAccepted hands the entry back.
  EditorCheck CheckOk(const PathProbe& probe) const;

 private:
  std::wstring path_;
  std::wstring gesture_;
};

// The error text for a refused OK; empty for kAccepted.
const wchar_t* EditorCheckMessage(EditorCheck check);

}  // namespace petariko
