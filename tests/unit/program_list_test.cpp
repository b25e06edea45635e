#include "settings/program_list.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "core/ui_strings.h"

namespace petariko {
namespace {

// Records what the list asked of the screen and answers from a script. Each editor run also
// records the row that was current and what that row showed while the editor was open.
class ScriptedUi : public ProgramListUi {
 public:
  explicit ScriptedUi(const ProgramList& list) : list_(list) {}

  struct EditorCall {
    int row;
    std::wstring path, gesture;  // what the editor was opened with
    std::wstring row_path;       // what the row held meanwhile
  };
  std::vector<EditorCall> editor_calls;
  std::deque<std::optional<EditorResult>> editor_answers;  // empty deque: cancel
  std::vector<std::wstring> questions;
  bool answer_yes = true;
  std::vector<std::wstring> errors;

  void ShowRows() override {}
  std::optional<EditorResult> RunEditor(const std::wstring& path, const std::wstring& gesture) override {
    const int row = list_.current_row();
    editor_calls.push_back({row, path, gesture, list_.Row(row).path});
    if (editor_answers.empty()) return std::nullopt;
    auto answer = editor_answers.front();
    editor_answers.pop_front();
    return answer;
  }
  bool Confirm(const std::wstring& text) override {
    questions.push_back(text);
    return answer_yes;
  }
  void ShowError(const std::wstring& text) override { errors.push_back(text); }

 private:
  const ProgramList& list_;
};

SettingsStore StoreWithRows(int filled) {
  SettingsStore store;
  for (int i = 0; i < filled; ++i) {
    store.strProgram[i] = L"p" + std::to_wstring(i + 1);
    store.strGesture[i] = L"g" + std::to_wstring(i + 1);
  }
  return store;
}

TEST(ProgramListTest, FirstEmptyRowLooksAtThePathOnly) {
  SettingsStore store = StoreWithRows(3);
  store.strProgram[1].clear();  // a gap from the file, with a gesture still there
  ProgramList list(store);
  EXPECT_EQ(list.FirstEmptyRow(), 2);
  EXPECT_EQ(ProgramList(StoreWithRows(30)).FirstEmptyRow(), ProgramList::kFull);
  EXPECT_EQ(ProgramList(StoreWithRows(0)).FirstEmptyRow(), 1);
}

TEST(ProgramListTest, OnlyRowsOneToThirtyCanBeMadeCurrent) {
  ProgramList list(StoreWithRows(3));
  for (auto [row, current] : {std::pair{30, 30}, {31, 30}, {1, 1}, {0, 1}, {-1, 1}}) {
    list.SetCurrentRow(row);
    EXPECT_EQ(list.current_row(), current) << row;
  }
}

TEST(ProgramListTest, AddOpensAnEmptyEditorOnTheFirstFreeRowAndWritesOnOk) {
  ProgramList list(StoreWithRows(2));
  ScriptedUi ui(list);
  ui.editor_answers.push_back(EditorResult{L"C:\\x.exe", L"↑→↓"});
  list.Add(ui);
  ASSERT_EQ(ui.editor_calls.size(), 1u);
  EXPECT_EQ(ui.editor_calls[0].row, 3);
  EXPECT_EQ(ui.editor_calls[0].path, L"");
  EXPECT_EQ(ui.editor_calls[0].gesture, L"");
  EXPECT_EQ(list.Row(3), (ProgramEntry{L"C:\\x.exe", L"↑→↓"}));
  EXPECT_EQ(list.current_row(), 3);

  list.Add(ui);  // cancelled: the row stays free
  EXPECT_EQ(list.Row(4), ProgramEntry{});
}

TEST(ProgramListTest, FullListRefusesAddAndEditOfEmptyRowButEditsFilledRows) {
  ProgramList list(StoreWithRows(30));
  ScriptedUi ui(list);
  list.Add(ui);
  EXPECT_EQ(ui.errors, std::vector<std::wstring>{ui::kListFull});
  EXPECT_TRUE(ui.editor_calls.empty());

  list.SetCurrentRow(7);
  ui.editor_answers.push_back(EditorResult{L"q", L"←"});
  list.Edit(ui);
  ASSERT_EQ(ui.editor_calls.size(), 1u);
  EXPECT_EQ(ui.editor_calls[0].row, 7);
  EXPECT_EQ(ui.editor_calls[0].path, L"p7");
  EXPECT_EQ(ui.editor_calls[0].gesture, L"g7");
  EXPECT_EQ(list.Row(7), (ProgramEntry{L"q", L"←"}));
}

TEST(ProgramListTest, EditOfEmptyRowAddsAtTheFirstFreeRow) {
  ProgramList list(StoreWithRows(4));
  ScriptedUi ui(list);
  list.SetCurrentRow(20);
  ui.editor_answers.push_back(EditorResult{L"new", L""});
  list.Edit(ui);
  ASSERT_EQ(ui.editor_calls.size(), 1u);
  EXPECT_EQ(ui.editor_calls[0].row, 5);
  EXPECT_EQ(list.Row(5), (ProgramEntry{L"new", L""}));
  EXPECT_EQ(list.Row(20), ProgramEntry{});
}

TEST(ProgramListTest, CancelledEditLeavesTheRow) {
  ProgramList list(StoreWithRows(3));
  ScriptedUi ui(list);
  list.SetCurrentRow(2);
  list.Edit(ui);
  EXPECT_EQ(list.Row(2), (ProgramEntry{L"p2", L"g2"}));
}

TEST(ProgramListTest, DeleteAsksAndMovesTheRowsBelowUp) {
  ProgramList list(StoreWithRows(12));
  ScriptedUi ui(list);
  list.SetCurrentRow(5);
  ui.answer_yes = false;
  list.Delete(ui);
  EXPECT_EQ(ui.questions, std::vector<std::wstring>{L"p5\r\nを一覧から削除します。よろしいですか？"});
  EXPECT_EQ(list.Row(5).path, L"p5");

  ui.answer_yes = true;
  list.Delete(ui);
  for (int row = 5; row <= 11; ++row) {
    EXPECT_EQ(list.Row(row).path, L"p" + std::to_wstring(row + 1));
    EXPECT_EQ(list.Row(row).gesture, L"g" + std::to_wstring(row + 1));
  }
  EXPECT_EQ(list.Row(12), ProgramEntry{});
  EXPECT_EQ(list.current_row(), 5);
  EXPECT_EQ(list.Row(4).path, L"p4");
}

TEST(ProgramListTest, DeleteOfLastRowAndOfEmptyRow) {
  ProgramList full(StoreWithRows(30));
  ScriptedUi ui(full);
  full.SetCurrentRow(30);
  full.Delete(ui);
  EXPECT_EQ(full.Row(30), ProgramEntry{});
  EXPECT_EQ(full.Row(29).path, L"p29");

  ProgramList some(StoreWithRows(3));
  ScriptedUi quiet(some);
  some.SetCurrentRow(9);
  some.Delete(quiet);
  EXPECT_TRUE(quiet.questions.empty());
}

TEST(ProgramListTest, DropWritesThePathFirstAndStopsOnceWhenFull) {
  ProgramList list(StoreWithRows(29));
  ScriptedUi ui(list);
  list.Drop({L"C:\\a.txt", L"C:\\b.txt", L"C:\\c.txt"}, ui);  // first editor cancelled
  ASSERT_EQ(ui.editor_calls.size(), 1u);
  EXPECT_EQ(ui.editor_calls[0].row, 30);
  EXPECT_EQ(ui.editor_calls[0].path, L"C:\\a.txt");
  EXPECT_EQ(ui.editor_calls[0].gesture, L"");
  EXPECT_EQ(ui.editor_calls[0].row_path, L"C:\\a.txt") << "row taken before the editor opens";
  EXPECT_EQ(ui.errors, std::vector<std::wstring>{ui::kListFull});
  EXPECT_EQ(list.Row(30), (ProgramEntry{L"C:\\a.txt", L""}));
}

TEST(ProgramListTest, DropOpensOneEditorPerPathOnConsecutiveRows) {
  SettingsStore store = StoreWithRows(2);
  store.strGesture[2] = L"→";  // a stale gesture in a free row stays when the editor is cancelled
  ProgramList list(store);
  ScriptedUi ui(list);
  ui.editor_answers.push_back(std::nullopt);
  ui.editor_answers.push_back(EditorResult{L"C:\\b.txt", L"↓"});
  const std::wstring lone = std::wstring(L"C:\\") + static_cast<wchar_t>(0xD800) + L".txt";  // left out, said
  list.Drop({L"", L"C:\\a.txt", L"", lone, L"C:\\b.txt"}, ui);                               // empty names: web links
  ASSERT_EQ(ui.editor_calls.size(), 2u);
  EXPECT_EQ(ui.editor_calls[1].row, 4);
  EXPECT_EQ(list.Row(3), (ProgramEntry{L"C:\\a.txt", L"→"}));
  EXPECT_EQ(list.Row(4), (ProgramEntry{L"C:\\b.txt", L"↓"}));
  EXPECT_EQ(ui.errors, std::vector<std::wstring>{ui::kPathUnstorable});
}

TEST(ProgramListTest, CopyBackKeepsGapsAndOrder) {
  SettingsStore store = StoreWithRows(5);
  store.strProgram[2].clear();
  ProgramList list(store);
  SettingsStore out;
  list.CopyTo(out);
  EXPECT_EQ(out.strProgram, store.strProgram);
  EXPECT_EQ(out.strGesture, store.strGesture);
}

}  // namespace
}  // namespace petariko
