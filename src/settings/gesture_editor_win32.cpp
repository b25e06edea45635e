// The gesture editor (Form3): a path box with "参照", four arrow buttons and the gesture display.
#include "settings/gesture_editor_win32.h"

#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <array>
#include <vector>

#include "win32/message_box_win32.h"
#include "core/ui_strings.h"
#include "win32/current_directory_win32.h"
#include "win32/handles_win32.h"
#include "win32/window_proc_win32.h"
#include "win32/dialog_kit_win32.h"
#include "settings/gesture_editor.h"

namespace petariko {
namespace {

using dialog::TwipsRect;

constexpr wchar_t kEditorClass[] = L"PetarikoGestureEditor";
constexpr int kClientWidth = 3870;
constexpr int kClientHeight = 3990;

// Enter and Esc stand for "ＯＫ" and "キャンセル", as in any dialog.
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
// match pass); a folder given with a trailing "\" or a drive's root passes too.
class DiskProbe : public PathProbe {
 public:
  bool Exists(const std::wstring& text) const override {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileExW(text.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                     nullptr, 0);
    if (search != INVALID_HANDLE_VALUE) {
      FindClose(search);
      return true;
    }
    return GetFileAttributesW(text.c_str()) != INVALID_FILE_ATTRIBUTES;
  }
};

class GestureEditorWindow {
 public:
  GestureEditorWindow(HINSTANCE instance, const std::wstring& path, const std::wstring& gesture)
      : instance_(instance), model_(path, gesture) {}

  std::optional<EditorResult> Run(HWND owner);

 private:
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls();
  void Layout(UINT dpi);
  void OnCommand(int id, int code);
  void Browse();
  void Ok();
  void DrawDisplay(const DRAWITEMSTRUCT& item);
  void ShowGesture() {
    SetWindowTextW(display_, model_.gesture().c_str());
    InvalidateRect(display_, nullptr, TRUE);
  }

  HINSTANCE instance_;
  GestureEditor model_;
  std::optional<EditorResult> result_;
  bool done_ = false;

  HWND hwnd_ = nullptr;
  std::array<HWND, 4> arrows_{};
  HWND ok_ = nullptr, clear_ = nullptr, cancel_ = nullptr, path_ = nullptr, browse_ = nullptr;
  HWND path_heading_ = nullptr, gesture_heading_ = nullptr, display_ = nullptr;
  std::array<RECT, 2> shapes_{};  // Shape1 around the display, Shape2 among the arrows

  UniqueFont heading_font_, display_font_, text_font_;
  std::vector<UniqueFont> fitted_fonts_;
  UniqueBrush back_brush_{CreateSolidBrush(dialog::kLightYellow)};
};

std::optional<EditorResult> GestureEditorWindow::Run(HWND owner) {
  using Self = GestureEditorWindow;
  dialog::RegisterWindowClassOnce(instance_, kEditorClass, MemberWindowProc<Self, &Self::hwnd_, &Self::Handle>);
  UniqueWindow window(Check(CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME, kEditorClass,
                                            ui::kEditorCaption,
                                            WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 0,
                                            0, 100, 100, owner, nullptr, instance_, this),
                            "CreateWindowExW(editor)"));
  CreateControls();
  dialog::MakeDialogLike(hwnd_, kIdOk);
  Layout(dialog::DpiOf(hwnd_));
  dialog::PlaceWindow(hwnd_, kClientWidth, kClientHeight, owner);
  SetWindowTextW(path_, model_.path().c_str());
  ShowGesture();
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  // The path comes first; typing replaces one that is there, as after Tab.
  SetFocus(path_);
  SendMessageW(path_, EM_SETSEL, 0, -1);
  dialog::RunModal(owner, done_);
  return result_;
}

void GestureEditorWindow::CreateControls() {
  const DWORD kButton = WS_TABSTOP | BS_OWNERDRAW;
  // Created in the tab order, which follows the layout from top to bottom: the path box, browse,
  // the arrows, clear, OK, cancel.
  path_ = dialog::CreateChild(hwnd_, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, kIdPath, WS_EX_CLIENTEDGE);
  SendMessageW(path_, EM_SETLIMITTEXT, 0, 0);  // no length limit beyond the control's own
  browse_ = dialog::CreateChild(hwnd_, L"BUTTON", ui::kBrowse, kButton, kIdBrowse);
  const wchar_t* arrow_captions[] = {ui::kArrowUp, ui::kArrowLeft, ui::kArrowRight, ui::kArrowDown};
  for (int k = 0; k < 4; ++k) {
    arrows_[k] = dialog::CreateChild(hwnd_, L"BUTTON", arrow_captions[k], kButton | (k == 0 ? WS_GROUP : 0),
                                     kIdArrowBase + k);
  }
  clear_ = dialog::CreateChild(hwnd_, L"BUTTON", ui::kClear, kButton, kIdClear);
  ok_ = dialog::CreateChild(hwnd_, L"BUTTON", ui::kOk, kButton, kIdOk);
  cancel_ = dialog::CreateChild(hwnd_, L"BUTTON", ui::kCancel, kButton, kIdCancel);
  path_heading_ = dialog::CreateChild(hwnd_, L"STATIC", ui::kEditorPathHeading, SS_NOPREFIX | SS_LEFTNOWORDWRAP, kIdHeading);
  gesture_heading_ = dialog::CreateChild(hwnd_, L"STATIC", ui::kEditorGestureHeading, SS_NOPREFIX | SS_LEFTNOWORDWRAP, kIdHeading);
  display_ = dialog::CreateChild(hwnd_, L"STATIC", L"", SS_OWNERDRAW, kIdDisplay);
}

void GestureEditorWindow::Layout(UINT dpi) {
  // The fonts of the old DPI go only once no control holds them any more.
  UniqueFont heading_font = dialog::MakeFont(12, true, false, dpi);
  UniqueFont display_font = dialog::MakeFont(15.75, true, false, dpi);
  UniqueFont text_font = dialog::MakeFont(9, false, false, dpi);
  std::vector<UniqueFont> fitted_fonts;
  auto place = [&](HWND control, int left, int top, int width, int height, HFONT font) {
    dialog::MoveChild(control, TwipsRect(left, top, width, height, dpi));
    dialog::SetFittedFont(control, font, 0, fitted_fonts);
  };
  place(path_heading_, 120, 180, 3315, 255, heading_font.get());
  place(path_, 300, 600, 2655, 315, text_font.get());
  place(browse_, 3060, 600, 675, 315, text_font.get());
  place(gesture_heading_, 120, 1200, 3315, 255, heading_font.get());
  place(arrows_[0], 720, 1620, 435, 375, text_font.get());
  place(arrows_[1], 300, 1980, 435, 375, text_font.get());
  place(arrows_[2], 1140, 1980, 435, 375, text_font.get());
  place(arrows_[3], 720, 2340, 435, 375, text_font.get());
  // The display fills the inside of Shape1 and draws its own text, so that a tall font's line
  // fits without covering the outline.
  RECT inside = TwipsRect(1800, 1740, 1815, 435, dpi);
  InflateRect(&inside, -1, -1);
  dialog::MoveChild(display_, inside);
  SendMessageW(display_, WM_SETFONT, reinterpret_cast<WPARAM>(display_font.get()), FALSE);
  place(clear_, 2700, 2340, 915, 315, text_font.get());
  place(ok_, 120, 3360, 1335, 435, text_font.get());
  place(cancel_, 1680, 3360, 1335, 435, text_font.get());
  shapes_[0] = TwipsRect(1800, 1740, 1815, 435, dpi);
  shapes_[1] = TwipsRect(480, 1800, 915, 735, dpi);
  heading_font_ = std::move(heading_font);
  display_font_ = std::move(display_font);
  text_font_ = std::move(text_font);
  fitted_fonts_ = std::move(fitted_fonts);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void GestureEditorWindow::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
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
    case kIdBrowse: Browse(); break;
    case kIdOk: Ok(); break;
    case kIdCancel: done_ = true; break;
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
  // Cancel and dialog errors alike leave the path box as it is.
  if (!GetOpenFileNameW(&ofn) || done_) return;  // done_: the editor was closed meanwhile
  file.resize(wcslen(file.c_str()));
  SetWindowTextW(path_, file.c_str());
}

void GestureEditorWindow::Ok() {
  model_.set_path(dialog::WindowText(path_));
  const EditorCheck check = model_.CheckOk(DiskProbe());
  if (check != EditorCheck::kAccepted) {
    ShowMessageBox(hwnd_, EditorCheckMessage(check), ui::kTitleError, MB_OK);
    return;
  }
  result_ = EditorResult{model_.path(), model_.gesture()};
  done_ = true;
}

void GestureEditorWindow::DrawDisplay(const DRAWITEMSTRUCT& item) {
  RECT r = item.rcItem;
  FillRect(item.hDC, &r, back_brush_.get());
  const std::wstring text = dialog::WindowText(display_);
  ScopedSelect font(item.hDC, display_font_.get());
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, dialog::kBlack);
  r.left += dialog::Twips(60, dialog::DpiOf(hwnd_));
  DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &r,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT GestureEditorWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return dialog::EraseBackground(hwnd_, wparam, back_brush_.get());
    case WM_PAINT: {
      ScopedPaint paint(hwnd_);
      UniqueBrush black(CreateSolidBrush(dialog::kBlack));
      for (const RECT& r : shapes_) FrameRect(paint.get(), &r, black.get());
      return 0;
    }
    case WM_CTLCOLORSTATIC: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lparam));
      return dialog::ColourStatic(reinterpret_cast<HDC>(wparam),
                                  id == kIdHeading ? dialog::kBlue : dialog::kBlack,
                                  back_brush_.get(), dialog::kLightYellow);
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item.CtlType == ODT_STATIC) {
        DrawDisplay(item);
      } else {
        dialog::DrawColourButton(item, dialog::kLightOrange);
      }
      return TRUE;
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_CLOSE:
      done_ = true;  // the close box writes nothing, like "キャンセル"
      return 0;
    case WM_DPICHANGED: {
      Layout(HIWORD(wparam));
      dialog::MoveToSuggestedRect(hwnd_, lparam);
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

}  // namespace

std::optional<EditorResult> RunGestureEditor(HINSTANCE instance, HWND owner,
                                             const std::wstring& path,
                                             const std::wstring& gesture) {
  GestureEditorWindow editor(instance, path, gesture);
  return editor.Run(owner);
}

}  // namespace petariko
