// The settings screen (Form2). Its controls show a working copy of the settings; only "ＯＫ"
// copies them into the store and settei.txt.
#include "settings/settings_screen_win32.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "core/ui_strings.h"
#include "settings/gesture_editor_win32.h"
#include "settings/working_copy.h"
#include "win32/dialog_frame_win32.h"
#include "win32/dialog_kit_win32.h"
#include "win32/message_box_win32.h"
#include "win32/message_filter_win32.h"
#include "win32/window_proc_win32.h"

namespace petariko {
namespace {

constexpr wchar_t kScreenClass[] = L"PetarikoSettingsScreen";

// Neither "ＯＫ" nor "キャンセル" is the screen's default or cancel button: Enter presses only the
// focused button, and Esc does nothing. Their ids are not IDOK and IDCANCEL, which the dialog
// keys send for Enter and Esc.
enum ControlId : int {
  kIdOk = 302,          // Command2
  kIdCancel = 303,      // Command3
  kIdOptionBase = 200,  // + Option1 index
  kIdEdit = 301,        // Command1
  kIdAdd = 304,         // Command4
  kIdDelete = 305,      // Command5
  kIdVersion = 306,     // Command6
  kIdList = 400,        // FG
  kIdSlider = 401,      // Slider1
  kIdHeading = 500,     // the red 【…】 labels
  kIdPlainLabel = 510,  // "短", "長"
  kIdFrame = 600,
};

constexpr int kClientWidth = 5175;
constexpr int kClientHeight = 6510;

// Option lefts inside a frame, in the order left, middle, right, unused.
constexpr std::array<int, 4> kOptionLefts = {1860, 2460, 3060, 3660};
constexpr std::array<int, 4> kCutOptions = {kOptCutLeft, kOptCutMiddle, kOptCutRight, kOptCutUnused};
constexpr std::array<int, 4> kGestureOptions = {kOptGestureLeft, kOptGestureMiddle, kOptGestureRight,
                                                kOptGestureUnused};
constexpr std::array<const wchar_t*, 4> kOptionCaptions = {ui::kOptionLeft, ui::kOptionMiddle, ui::kOptionRight,
                                                           ui::kOptionUnused};

class SettingsScreen : public dialog::Form, public ProgramListUi {
 public:
  SettingsScreen(HINSTANCE instance, SettingsScreenHost& host)
      : Form(instance), host_(host), copy_(SettingsWorkingCopy::Load(host.Settings())) {}

  void Open();

  // ProgramListUi
  void ShowRows() override;
  std::optional<EditorResult> RunEditor(const std::wstring& path, const std::wstring& gesture) override {
    return Nested([&]() -> std::optional<EditorResult> {
      try {
        return RunGestureEditor(instance_, hwnd_, path, gesture);
      } catch (const ActionFailed&) {
        // As if cancelled: the list stays as it was, with the screen and its edits.
        Form::TellFailure(ui::kEditorOpenFailed);
        return std::nullopt;
      }
    });
  }
  bool Confirm(const std::wstring& text) override {
    // A question that could not be shown was not answered yes; the caller tells the user so.
    return Nested([&] {
             return CheckCall("MessageBoxW",
                              [&] { return ShowMessageBox(hwnd_, text, ui::kTitleConfirm, MB_YESNO | MB_DEFBUTTON1); });
           }) == IDYES;
  }
  void ShowError(const std::wstring& text) override {
    Nested([&] { return ShowMessageBox(hwnd_, text, ui::kTitleError, MB_OK); });
  }

 private:
  static LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id, DWORD_PTR self);

  void CreateControls() override;
  void Layout(dialog::LayoutPass& pass) override;
  void OnCommand(int id, int code) override;
  void OnClose() override { Cancel(); }  // the close box is "キャンセル"
  COLORREF TextColour(HWND control) const override {
    return GetDlgCtrlID(control) == kIdHeading ? dialog::kRed : dialog::kBlack;
  }
  void OnNotify(const NMHDR& header) override;
  void OnFinalMessage() override { delete this; }  // the screen lives as long as its window
  void TellFailure(const std::wstring& text) override {
    Nested([&] { Form::TellFailure(text); });
  }
  void ShowOptions();
  void OnDrop(HDROP drop);
  void Ok();
  void Cancel();
  void Close();

  // Runs a box or dialog owned by the screen. Its message loop may deliver a close request (the
  // screen is disabled, but WM_CLOSE can still be sent); the screen, and with it this object,
  // stays until the handler that opened the box has finished with them.
  template <typename Body>
  auto Nested(Body&& body) -> decltype(body()) {
    ++nested_loops_;
    struct Leave {
      int& depth;
      ~Leave() { --depth; }
    } leave{nested_loops_};
    return body();
  }

  SettingsScreenHost& host_;
  SettingsWorkingCopy copy_;

  UniqueWindow owner_;  // hidden owner: keeps the screen off the task bar
  std::array<HWND, 3> frames_{};
  std::array<dialog::FrameLook, 3> looks_;
  std::array<HWND, kOptionCount> options_{};
  std::array<HWND, 4> headings_{};  // Label1, Label5, Label3, Label4
  std::array<HWND, 2> ends_{};      // Label6 "短", Label7 "長"
  HWND list_ = nullptr;
  HWND slider_ = nullptr;
  HWND add_ = nullptr, edit_ = nullptr, delete_ = nullptr;
  HWND ok_ = nullptr, cancel_ = nullptr, version_ = nullptr;
  bool syncing_list_ = false;  // our own selection changes are not the user's
  int nested_loops_ = 0;
};

void SettingsScreen::Open() {
  owner_.reset(CheckCall("CreateWindowExW(owner)", [&] {
    return CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance_, nullptr);
  }));
  Create({kScreenClass, ui::kSettingsCaption, kClientWidth, kClientHeight, 0, false}, owner_.get(), nullptr);

  // Loading: options (each selection runs the rule), slider, list with row 1 current.
  ShowOptions();
  SendMessageW(slider_, TBM_SETPOS, TRUE, copy_.hold_time);
  ShowRows();

  Show(nullptr);  // on the cut-out's selected option
}

void SettingsScreen::CreateControls() {
  const DWORD kButton = WS_TABSTOP | BS_OWNERDRAW;
  frames_[0] = dialog::CreateFrame(hwnd_, ui::kFrameCutout, kIdFrame, &looks_[0]);
  headings_[0] =
      dialog::CreateChild(frames_[0], L"STATIC", ui::kHeadingButton, SS_NOPREFIX | SS_LEFTNOWORDWRAP, kIdHeading);
  for (int k = 0; k < 4; ++k) {
    options_[kCutOptions[k]] =
        dialog::CreateChild(frames_[0], L"BUTTON", kOptionCaptions[k], BS_RADIOBUTTON | (k == 0 ? WS_GROUP : 0),
                            kIdOptionBase + kCutOptions[k]);
  }

  frames_[1] = dialog::CreateFrame(hwnd_, ui::kFrameGesture, kIdFrame + 1, &looks_[1]);
  headings_[1] =
      dialog::CreateChild(frames_[1], L"STATIC", ui::kHeadingButton, SS_NOPREFIX | SS_LEFTNOWORDWRAP, kIdHeading);
  for (int k = 0; k < 4; ++k) {
    options_[kGestureOptions[k]] =
        dialog::CreateChild(frames_[1], L"BUTTON", kOptionCaptions[k], BS_RADIOBUTTON | (k == 0 ? WS_GROUP : 0),
                            kIdOptionBase + kGestureOptions[k]);
  }
  headings_[2] =
      dialog::CreateChild(frames_[1], L"STATIC", ui::kHeadingPrograms, SS_NOPREFIX | SS_LEFTNOWORDWRAP, kIdHeading);
  list_ = dialog::CreateChild(frames_[1], WC_LISTVIEWW, L"",
                              WS_TABSTOP | WS_GROUP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                              kIdList, WS_EX_CLIENTEDGE | WS_EX_ACCEPTFILES);
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  const wchar_t* headers[] = {ui::kColumnPath, ui::kColumnGesture};
  for (int column = 0; column < 2; ++column) {
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = const_cast<wchar_t*>(headers[column]);
    col.cx = 100;
    ListView_InsertColumn(list_, column, &col);
  }
  for (int i = 0; i < kEntryCount; ++i) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = const_cast<wchar_t*>(L"");
    ListView_InsertItem(list_, &item);
  }
  SetWindowSubclass(list_, ListProc, 1, reinterpret_cast<DWORD_PTR>(this));
  DragAcceptFiles(list_, TRUE);
  // A drop from Explorer arrives as these three; 0x0049 (WM_COPYGLOBALDATA) carries its file names.
  AcceptFromLowerIntegrity(list_, {WM_DROPFILES, WM_COPYDATA, 0x0049});
  add_ = dialog::CreateChild(frames_[1], L"BUTTON", ui::kAdd, kButton | WS_GROUP, kIdAdd);
  edit_ = dialog::CreateChild(frames_[1], L"BUTTON", ui::kEdit, kButton, kIdEdit);
  delete_ = dialog::CreateChild(frames_[1], L"BUTTON", ui::kDelete, kButton, kIdDelete);

  frames_[2] = dialog::CreateFrame(hwnd_, ui::kFrameMouse, kIdFrame + 2, &looks_[2]);
  headings_[3] =
      dialog::CreateChild(frames_[2], L"STATIC", ui::kHeadingHoldTime, SS_NOPREFIX | SS_LEFTNOWORDWRAP, kIdHeading);
  ends_[0] = dialog::CreateChild(frames_[2], L"STATIC", ui::kShort, SS_NOPREFIX | SS_LEFTNOWORDWRAP, kIdPlainLabel);
  slider_ = dialog::CreateChild(frames_[2], TRACKBAR_CLASSW, L"",
                                WS_TABSTOP | WS_GROUP | TBS_HORZ | TBS_AUTOTICKS | TBS_BOTTOM, kIdSlider);
  SendMessageW(slider_, TBM_SETRANGE, FALSE, MAKELPARAM(kHoldTimeMin, kHoldTimeMax));
  SendMessageW(slider_, TBM_SETTICFREQ, 1, 0);
  SendMessageW(slider_, TBM_SETLINESIZE, 0, 1);
  SendMessageW(slider_, TBM_SETPAGESIZE, 0, 1);
  ends_[1] = dialog::CreateChild(frames_[2], L"STATIC", ui::kLong, SS_NOPREFIX | SS_LEFTNOWORDWRAP, kIdPlainLabel);

  ok_ = dialog::CreateChild(hwnd_, L"BUTTON", ui::kOk, kButton | WS_GROUP, kIdOk);
  cancel_ = dialog::CreateChild(hwnd_, L"BUTTON", ui::kCancel, kButton, kIdCancel);
  version_ = dialog::CreateChild(hwnd_, L"BUTTON", ui::kVersion, kButton, kIdVersion);
}

void SettingsScreen::Layout(dialog::LayoutPass& pass) {
  HFONT frame_font = pass.Font(12, true);
  HFONT text_font = pass.Font(9);
  for (auto& look : looks_) look.caption_font = frame_font;

  const int option_circle = GetSystemMetricsForDpi(SM_CXMENUCHECK, pass.dpi()) + pass.Twips(60);
  auto place = [&](HWND control, int left, int top, int width, int height, int reserve = 0) {
    pass.Place(control, left, top, width, height, text_font, reserve);
  };
  dialog::MoveChild(frames_[0], pass.Rect(120, 180, 4935, 795));
  dialog::MoveChild(frames_[1], pass.Rect(120, 1140, 4935, 3135));
  dialog::MoveChild(frames_[2], pass.Rect(120, 4440, 4935, 1335));

  // Label5 is given 1815 twips, which would run into "左" at 1860: both headings end where
  // Label1 does, 45 twips before it.
  place(headings_[0], 120, 420, 1695, 195);
  place(headings_[1], 120, 420, 1695, 195);
  for (int k = 0; k < 4; ++k) {
    const int width = (k == 3) ? 855 : 555;
    place(options_[kCutOptions[k]], kOptionLefts[k], 420, width, 195, option_circle);
    place(options_[kGestureOptions[k]], kOptionLefts[k], 420, width, 195, option_circle);
  }
  place(headings_[2], 120, 840, 1815, 195);
  place(list_, 120, 1080, 4695, 1395);
  // 3200 and 1200 twips, with the path column giving way where the vertical scroll bar would
  // otherwise push the gesture column out of sight behind a horizontal one.
  const int gesture_width = pass.Twips(1200);
  const int room = pass.Twips(4695) - 2 * GetSystemMetricsForDpi(SM_CXEDGE, pass.dpi()) -
                   GetSystemMetricsForDpi(SM_CXVSCROLL, pass.dpi()) - gesture_width;
  ListView_SetColumnWidth(list_, 0, std::min(pass.Twips(3200), room));
  ListView_SetColumnWidth(list_, 1, gesture_width);
  place(add_, 120, 2640, 1035, 315);
  place(edit_, 1260, 2640, 1035, 315);
  place(delete_, 3780, 2640, 1035, 315);

  place(headings_[3], 120, 420, 1935, 195);
  place(slider_, 360, 780, 4275, 255);
  place(ends_[0], 120, 840, 195, 195);
  place(ends_[1], 4680, 840, 195, 195);
  // Shape1: an outline around the slider, just outside it so that the slider does not cover it.
  RECT outline = pass.Rect(360, 780, 4275, 255);
  InflateRect(&outline, 1, 1);
  looks_[2].outlines = {outline};

  place(ok_, 120, 5940, 1335, 435);
  place(cancel_, 1560, 5940, 1335, 435);
  place(version_, 3660, 5940, 1335, 435);
}

void SettingsScreen::ShowOptions() {
  for (int i = 0; i < kOptionCount; ++i) {
    const bool selected = copy_.options.IsSelected(i);
    SendMessageW(options_[i], BM_SETCHECK, selected ? BST_CHECKED : BST_UNCHECKED, 0);
    // Tab stops once in each frame, at its selected option; the arrow keys move within the frame.
    const LONG style = GetWindowLongW(options_[i], GWL_STYLE);
    SetWindowLongW(options_[i], GWL_STYLE, selected ? style | WS_TABSTOP : style & ~WS_TABSTOP);
    EnableWindow(options_[i], copy_.options.IsEnabled(i));
  }
}

void SettingsScreen::ShowRows() {
  syncing_list_ = true;
  for (int row = 1; row <= kEntryCount; ++row) {
    const ProgramEntry& entry = copy_.list.Row(row);
    ListView_SetItemText(list_, row - 1, 0, const_cast<wchar_t*>(entry.path.c_str()));
    ListView_SetItemText(list_, row - 1, 1, const_cast<wchar_t*>(entry.gesture.c_str()));
  }
  const int current = copy_.list.current_row() - 1;
  ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemState(list_, current, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(list_, current, FALSE);
  syncing_list_ = false;
}

void SettingsScreen::OnCommand(int id, int code) {
  if (id >= kIdOptionBase && id < kIdOptionBase + kOptionCount) {
    if (code == BN_CLICKED) {
      copy_.options.Select(id - kIdOptionBase);
      ShowOptions();
    }
    return;
  }
  if (code != BN_CLICKED) return;
  switch (id) {
    case kIdAdd: copy_.list.Add(*this); break;
    case kIdEdit: copy_.list.Edit(*this); break;
    case kIdDelete: Attempt(ui::kDeleteFailed, [&] { copy_.list.Delete(*this); }); break;
    case kIdOk: Ok(); break;
    case kIdCancel: Cancel(); break;
    case kIdVersion: Attempt(ui::kAboutOpenFailed, [&] { Nested([&] { host_.RunAboutBox(hwnd_); }); }); break;
    default: break;
  }
}

void SettingsScreen::OnNotify(const NMHDR& header) {
  if (header.hwndFrom != list_) return;
  if (header.code == LVN_ITEMCHANGED && !syncing_list_) {
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if ((change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED)) {
      copy_.list.SetCurrentRow(change.iItem + 1);
    }
  } else if (header.code == NM_CLICK || header.code == NM_RCLICK) {
    // A click below the last row clears the selection; the list always has a current row.
    if (ListView_GetNextItem(list_, -1, LVNI_SELECTED) < 0) ShowRows();
  }
}

void SettingsScreen::OnDrop(HDROP drop) {
  std::vector<std::wstring> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    path.resize(DragQueryFileW(drop, i, path.data(), length + 1));
    paths.push_back(std::move(path));
  }
  DragFinish(drop);
  // The drop source is released before the editors run, so it does not wait on them.
  copy_.list.Drop(paths, *this);
}

void SettingsScreen::Ok() {
  copy_.hold_time = static_cast<int>(SendMessageW(slider_, TBM_GETPOS, 0, 0));
  copy_.CommitTo(host_.Settings());
  // On failure it has told the user; the new values stay in effect.
  Nested([&] { return host_.WriteSettingsFile(hwnd_); });
  Close();
}

void SettingsScreen::Cancel() { Close(); }

void SettingsScreen::Close() {
  if (nested_loops_ > 0) return;  // one of the screen's boxes is up: it is answered first
  host_.Shared().blnBusy = false;
  host_.PutBackCutout();
  UniqueWindow owner = std::move(owner_);  // goes after the screen, not while it goes
  DestroyWindow(hwnd_);                    // deletes this
}

LRESULT CALLBACK SettingsScreen::ListProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                          DWORD_PTR self) {
  // Once the error trap has begun, a drop or Enter opens no editor from a broken process.
  if (ErrorTrapRunning()) return DefSubclassProc(hwnd, message, wparam, lparam);
  return Guarded([&]() -> LRESULT {
    if (message == WM_DROPFILES) {
      reinterpret_cast<SettingsScreen*>(self)->OnDrop(reinterpret_cast<HDROP>(wparam));
      return 0;
    }
    // Enter in the list opens its current entry, as "編集" does, rather than pressing "ＯＫ".
    const auto* key = reinterpret_cast<const MSG*>(lparam);
    if (message == WM_GETDLGCODE && key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) {
      return DefSubclassProc(hwnd, message, wparam, lparam) | DLGC_WANTMESSAGE;
    }
    if (message == WM_KEYDOWN && wparam == VK_RETURN) {
      auto* screen = reinterpret_cast<SettingsScreen*>(self);
      screen->copy_.list.Edit(*screen);
      return 0;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, ListProc, 1);
    return DefSubclassProc(hwnd, message, wparam, lparam);
  });
}

}  // namespace

void OpenSettingsScreen(HINSTANCE instance, SettingsScreenHost& host) {
  if (BringSettingsScreenForward()) return;
  // The common controls are loaded when the first screen that uses them opens, not at start.
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  auto screen = std::make_unique<SettingsScreen>(instance, host);
  try {
    screen->Open();
  } catch (const ActionFailed&) {
    // Nothing of the screen is left; the caller puts back what opening it had changed.
    ShowMessageBox(nullptr, ui::kSettingsOpenFailed, ui::kTitleError, MB_OK);
    throw;
  }
  screen.release();  // deleted with its window
}

bool BringSettingsScreenForward() {
  HWND open = FindWindowW(kScreenClass, nullptr);
  return open && dialog::BringForward(open);
}

}  // namespace petariko
