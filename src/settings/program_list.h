// The settings screen's list of the 30 registered gestures: a working copy of strProgram and
// strGesture that add, edit, delete and file drops change, and that OK copies back.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/settings_store.h"

namespace petariko {

struct ProgramEntry {
  std::wstring path;     // column 0; the row counts as empty when this is
  std::wstring gesture;  // column 1
  friend bool operator==(const ProgramEntry&, const ProgramEntry&) = default;
};

// What the gesture editor hands back on OK.
struct EditorResult {
  std::wstring path;
  std::wstring gesture;
};

// What the list needs from the screen around it.
class ProgramListUi {
 public:
  virtual ~ProgramListUi() = default;
  // Shows the rows and the current row again after the list changed them.
  virtual void ShowRows() = 0;
  // Runs the gesture editor modal, starting from `path` and `gesture`. nullopt on cancel.
  virtual std::optional<EditorResult> RunEditor(const std::wstring& path, const std::wstring& gesture) = 0;
  // Yes/No question titled "確認"; true for Yes.
  virtual bool Confirm(const std::wstring& text) = 0;
  // Error message titled "エラー".
  virtual void ShowError(const std::wstring& text) = 0;
};

class ProgramList {
 public:
  static constexpr int kFull = kEntryCount + 1;  // "row" returned when no row is free

  ProgramList() = default;
  // Rows 1..30 from entries 0..29 of the store; row 1 current.
  explicit ProgramList(const SettingsStore& store);

  // Rows are numbered 1..30 as on screen (row 0 is the header).
  const ProgramEntry& Row(int row) const { return rows_[row - 1]; }
  int current_row() const { return current_row_; }
  // The user picked a row; anything outside 1..30 is ignored.
  void SetCurrentRow(int row);

  // First row whose path is empty, or kFull.
  int FirstEmptyRow() const;

  void Add(ProgramListUi& ui);
  void Edit(ProgramListUi& ui);
  void Delete(ProgramListUi& ui);
  // Files dropped on the list, in the order the drop listed them; empty names add nothing.
  void Drop(const std::vector<std::wstring>& paths, ProgramListUi& ui);

  // Rows copied back as they stand, gaps included.
  void CopyTo(SettingsStore& store) const;

 private:
  // Makes `row` current and runs the editor on it; OK writes both cells of that row.
  void EditRow(int row, const std::wstring& path, const std::wstring& gesture, ProgramListUi& ui);

  std::array<ProgramEntry, kEntryCount> rows_;
  int current_row_ = 1;
};

// The question Delete asks about a row's path.
std::wstring DeleteQuestion(const std::wstring& path);

}  // namespace petariko
