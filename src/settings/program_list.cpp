#include "settings/program_list.h"

#include "core/settings_file.h"
#include "core/ui_strings.h"

namespace petariko {

ProgramList::ProgramList(const SettingsStore& store) {
  for (int i = 0; i < kEntryCount; ++i) {
    rows_[i] = ProgramEntry{store.strProgram[i], store.strGesture[i]};
  }
}

void ProgramList::SetCurrentRow(int row) {
  if (row >= 1 && row <= kEntryCount) current_row_ = row;
}

int ProgramList::FirstEmptyRow() const {
  for (int row = 1; row <= kEntryCount; ++row) {
    if (Row(row).path.empty()) return row;
  }
  return kFull;
}

void ProgramList::EditRow(int row, const std::wstring& path, const std::wstring& gesture, ProgramListUi& ui) {
  current_row_ = row;
  ui.ShowRows();
  // The editor is modal, so the current row cannot move while it is open.
  if (std::optional<EditorResult> result = ui.RunEditor(path, gesture)) {
    rows_[row - 1] = ProgramEntry{std::move(result->path), std::move(result->gesture)};
    ui.ShowRows();
  }
}

void ProgramList::Add(ProgramListUi& ui) {
  const int row = FirstEmptyRow();
  if (row >= kFull) {
    ui.ShowError(ui::kListFull);
    return;
  }
  EditRow(row, L"", L"", ui);
}

void ProgramList::Edit(ProgramListUi& ui) {
  if (current_row_ < 1) return;
  const ProgramEntry& entry = Row(current_row_);
  if (entry.path.empty()) {
    // An empty row is not edited in place: the new entry goes to the first free row so
    // that the filled rows stay together.
    Add(ui);
    return;
  }
  const ProgramEntry copy = entry;
  EditRow(current_row_, copy.path, copy.gesture, ui);
}

void ProgramList::Delete(ProgramListUi& ui) {
  if (current_row_ < 1 || Row(current_row_).path.empty()) return;
  if (!ui.Confirm(DeleteQuestion(Row(current_row_).path))) return;
  for (int i = current_row_ - 1; i < kEntryCount - 1; ++i) rows_[i] = rows_[i + 1];
  rows_[kEntryCount - 1] = ProgramEntry{};
  ui.ShowRows();
}

void ProgramList::Drop(const std::vector<std::wstring>& paths, ProgramListUi& ui) {
  for (const std::wstring& path : paths) {
    if (path.empty()) continue;  // a dropped web link or an empty list names no file
    if (!IsStorableText(path)) {
      ui.ShowError(ui::kPathUnstorable);  // that file is left out; the others are added
      continue;
    }
    const int row = FirstEmptyRow();
    if (row >= kFull) {
      ui.ShowError(ui::kListFull);  // once per drop: the remaining paths are dropped too
      return;
    }
    // The row is taken before the editor opens, so it keeps the path even on cancel.
    rows_[row - 1].path = path;
    EditRow(row, path, L"", ui);
  }
}

void ProgramList::CopyTo(SettingsStore& store) const {
  for (int i = 0; i < kEntryCount; ++i) {
    store.strProgram[i] = rows_[i].path;
    store.strGesture[i] = rows_[i].gesture;
  }
}

std::wstring DeleteQuestion(const std::wstring& path) { return path + L"\r\n" + ui::kDeleteQuestionSuffix; }

}  // namespace petariko
