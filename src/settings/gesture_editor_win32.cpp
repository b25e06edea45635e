// The gesture editor (Form3): a path box with "参照", four arrow buttons and the gesture display.
#include "settings/gesture_editor_win32.h"

#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <array>

#include "core/ui_strings.h"
#include "settings/gesture_editor.h"
#include "win32/current_directory_win32.h"
#include "win32/dialog_kit_win32.h"
#include "win32/handles_win32.h"
#include "win32/message_box_win32.h"
#include "win32/path_probe_win32.h"

namespace petariko {
namespace {

constexpr wchar_t kEditorClass[] = L"PetarikoGestureEditor";
constexpr int kClientWidth = 3870;
constexpr int kClientHeight = 3990;

// Enter (where no other button has the focus) and Esc stand for "ＯＫ" and "キャンセル".
enum ControlId : int {
  kIdOk = IDOK,          // Command2
  kIdCancel = IDCANCEL,  // Command4
  kIdArrowBase = 100,    // + arrow index (Command1 array)
  kIdClear = 203,        // Command3
  kIdBrowse = 205,       // Command5
  kIdPath = 300,         // Text1
  kIdDisplay = 301,      // Label1
  kIdHeading = 302,      // Label2, Label3
};

// Whether a path names something on disk, used whole as a search pattern (so wildcards that
// match pass); a folder given with a trailing "\" or a drive's root passes too. Asked on a thread
// of its own (ProbePathAnswering), with nothing that needs freeing.
bool ExistsOnDisk(const std::wstring& text) {
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileExW(text.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (search != INVALID_HANDLE_VALUE) {
    FindClose(search);
    return true;
  }
  return GetFileAttributesW(text.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class DiskProbe : public PathProbe {
 public:
  bool Exists(const std::wstring& text) const override { return ProbePathAnswering("PathExists", ExistsOnDisk, text); }
};

class GestureEditorWindow : public dialog::Form {
 public:
  GestureEditorWindow(HINSTANCE instance, const std::wstring& path, const std::wstring& gesture)
      : Form(instance), model_(path, gesture) {}

  std::optional<EditorResult> Run(HWND owner);

 private:
  void CreateControls() override;
  void Layout(dialog::LayoutPass& pass) override;
  void OnCommand(int id, int code) override;
  void OnClose() override {
    if (!checking_) Finish();
  }
  COLORREF TextColour(HWND control) const override {
    return GetDlgCtrlID(control) == kIdHeading ? dialog::kBlue : dialog::kBlack;
  }
  bool DrawOwnItem(const DRAWITEMSTRUCT& item) override;  // the gesture display
  void Browse();
  void Ok();
  void ShowGesture() {
    SetWindowTextW(display_, model_.gesture().c_str());
    InvalidateRect(display_, nullptr, TRUE);
  }

  GestureEditor model_;
  std::optional<EditorResult> result_;
  // ＯＫ waits for the path's check, which runs the form's messages meanwhile: the form repaints,
  // but its buttons and close box take nothing, since they would act on the edit that ＯＫ takes.
  bool checking_ = false;

  std::array<HWND, 4> arrows_{};
  HWND ok_ = nullptr, clear_ = nullptr, cancel_ = nullptr, path_ = nullptr, browse_ = nullptr;
  HWND path_heading_ = nullptr, gesture_heading_ = nullptr, display_ = nullptr;
  HFONT display_font_ = nullptr;  // of the current layout
};

std::optional<EditorResult> GestureEditorWindow::Run(HWND owner) {
  Create({kEditorClass, ui::kEditorCaption, kClientWidth, kClientHeight, kIdOk, true}, owner, owner);
  SetWindowTextW(path_, model_.path().c_str());
  ShowGesture();
  Show(arrows_[0]);
  RunModal(owner);
  return result_;
}

void GestureEditorWindow::CreateControls() {
  const DWORD kButton = WS_TABSTOP | BS_OWNERDRAW;
  // Created in the tab order: the arrows, OK, clear, cancel, the path box, browse.
  const wchar_t* arrow_captions[] = {ui::kArrowUp, ui::kArrowLeft, ui::kArrowRight, ui::kArrowDown};
  for (int k = 0; k < 4; ++k) {
    arrows_[k] =
        dialog::CreateChild(hwnd_, L"BUTTON", arrow_captions[k], kButton | (k == 0 ? WS_GROUP : 0), kIdArrowBase + k);
  }
  ok_ = dialog::CreateChild(hwnd_, L"BUTTON", ui::kOk, kButton, kIdOk);
  clear_ = dialog::CreateChild(hwnd_, L"BUTTON", ui::kClear, kButton, kIdClear);
  cancel_ = dialog::CreateChild(hwnd_, L"BUTTON", ui::kCancel, kButton, kIdCancel);
  path_ = dialog::CreateChild(hwnd_, L"EDIT", L"", WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, kIdPath, WS_EX_CLIENTEDGE);
  SendMessageW(path_, EM_SETLIMITTEXT, 0, 0);  // no length limit beyond the control's own
  browse_ = dialog::CreateChild(hwnd_, L"BUTTON", ui::kBrowse, kButton, kIdBrowse);
  path_heading_ =
      dialog::CreateChild(hwnd_, L"STATIC", ui::kEditorPathHeading, SS_NOPREFIX | SS_LEFTNOWORDWRAP, kIdHeading);
  gesture_heading_ =
      dialog::CreateChild(hwnd_, L"STATIC", ui::kEditorGestureHeading, SS_NOPREFIX | SS_LEFTNOWORDWRAP, kIdHeading);
  display_ = dialog::CreateChild(hwnd_, L"STATIC", L"", SS_OWNERDRAW, kIdDisplay);
}

void GestureEditorWindow::Layout(dialog::LayoutPass& pass) {
  HFONT heading_font = pass.Font(12, true);
  HFONT display_font = pass.Font(15.75, true);
  HFONT text_font = pass.Font(9);
  pass.Place(path_heading_, 120, 180, 3315, 255, heading_font);
  pass.Place(path_, 300, 600, 2655, 315, text_font);
  pass.Place(browse_, 3060, 600, 675, 315, text_font);
  pass.Place(gesture_heading_, 120, 1200, 3315, 255, heading_font);
  pass.Place(arrows_[0], 720, 1620, 435, 375, text_font);
  pass.Place(arrows_[1], 300, 1980, 435, 375, text_font);
  pass.Place(arrows_[2], 1140, 1980, 435, 375, text_font);
  pass.Place(arrows_[3], 720, 2340, 435, 375, text_font);
  // The display fills the inside of Shape1 and draws its own text, so that a tall font's line
  // fits without covering the outline.
  RECT inside = pass.Rect(1800, 1740, 1815, 435);
  InflateRect(&inside, -1, -1);
  dialog::MoveChild(display_, inside);
  SendMessageW(display_, WM_SETFONT, reinterpret_cast<WPARAM>(display_font), FALSE);
  display_font_ = display_font;
  pass.Place(clear_, 2700, 2340, 915, 315, text_font);
  pass.Place(ok_, 120, 3360, 1335, 435, text_font);
  pass.Place(cancel_, 1680, 3360, 1335, 435, text_font);
  // Shape1 around the display, Shape2 among the arrows.
  outlines_ = {pass.Rect(1800, 1740, 1815, 435), pass.Rect(480, 1800, 915, 735)};
}

void GestureEditorWindow::OnCommand(int id, int code) {
  if (code != BN_CLICKED || checking_) return;
  if (id >= kIdArrowBase && id < kIdArrowBase + 4) {
    model_.PressArrow(static_cast<Arrow>(id - kIdArrowBase));
    ShowGesture();
    return;
  }
  switch (id) {
    case kIdClear:
      model_.Clear();
      ShowGesture();
      break;
    case kIdBrowse: Attempt(ui::kBrowseFailed, [&] { Browse(); }); break;
    case kIdOk: Ok(); break;
    case kIdCancel: Finish(); break;
    default: break;
  }
}

void GestureEditorWindow::Browse() {
  std::wstring filter = ui::kOpenFilter;
  std::replace(filter.begin(), filter.end(), L'|', L'\0');
  filter.push_back(L'\0');
  std::wstring file(32768, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = hwnd_;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_NOCHANGEDIR;
  ScopedCurrentDirectory keep_directory;
  bool chosen = false;
  // Cancel leaves the path box as it is; a dialog that fails says so, and leaves it too.
  CheckCall("GetOpenFileNameW", [&] {
    chosen = GetOpenFileNameW(&ofn) != FALSE;
    const DWORD error = chosen ? 0 : CommDlgExtendedError();
    if (error != 0) SetLastError(error);
    return chosen || error == 0;
  });
  if (!chosen || finished()) return;  // finished: the editor was closed meanwhile
  file.resize(wcslen(file.c_str()));
  SetWindowTextW(path_, file.c_str());
}

void GestureEditorWindow::Ok() {
  model_.set_path(dialog::WindowText(path_));
  EditorCheck check = EditorCheck::kAccepted;
  checking_ = true;
  try {
    check = model_.CheckOk(DiskProbe());
  } catch (const ProbeAbandoned&) {
    Finish();  // the program ends
  }
  checking_ = false;
  if (finished()) return;
  if (check != EditorCheck::kAccepted) {
    ShowMessageBox(hwnd_, EditorCheckMessage(check), ui::kTitleError, MB_OK);
    return;
  }
  result_ = EditorResult{model_.path(), model_.gesture()};
  Finish();
}

bool GestureEditorWindow::DrawOwnItem(const DRAWITEMSTRUCT& item) {
  if (item.hwndItem != display_) return false;
  RECT r = item.rcItem;
  FillRect(item.hDC, &r, back_brush());
  const std::wstring text = dialog::WindowText(display_);
  ScopedSelect font(item.hDC, display_font_);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, dialog::kBlack);
  r.left += dialog::Twips(60, dialog::DpiOf(hwnd_));
  DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &r,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  return true;
}

}  // namespace

std::optional<EditorResult> RunGestureEditor(HINSTANCE instance, HWND owner, const std::wstring& path,
                                             const std::wstring& gesture) {
  GestureEditorWindow editor(instance, path, gesture);
  return editor.Run(owner);
}

}  // namespace petariko
