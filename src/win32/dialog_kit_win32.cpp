#include "win32/dialog_kit_win32.h"

#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "core/ui_strings.h"
#include "win32/font_face_win32.h"
#include "win32/message_box_win32.h"
#include "win32/window_proc_win32.h"

namespace petariko::dialog {

int Twips(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

RECT TwipsRect(int left, int top, int width, int height, UINT dpi) {
  const int x = Twips(left, dpi);
  const int y = Twips(top, dpi);
  return RECT{x, y, x + Twips(width, dpi), y + Twips(height, dpi)};
}

UINT DpiOf(HWND hwnd) {
  const UINT dpi = GetDpiForWindow(hwnd);
  return dpi ? dpi : USER_DEFAULT_SCREEN_DPI;
}

void RegisterWindowClassOnce(HINSTANCE instance, const wchar_t* name, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (GetClassInfoExW(instance, name, &wc)) return;
  wc = WNDCLASSEXW{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  CheckCall("RegisterClassExW", [&] { return RegisterClassExW(&wc); });
}

HINSTANCE InstanceOf(HWND window) { return reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)); }

namespace {

// Sizes a fixed-border window so that its client area is width x height twips, and centres it
// on `over` (or on the monitor's work area when null).
void PlaceWindowOnce(HWND hwnd, int width_twips, int height_twips, HWND over) {
  const UINT dpi = DpiOf(hwnd);
  RECT frame{0, 0, Twips(width_twips, dpi), Twips(height_twips, dpi)};
  AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)), dpi);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT area{};
  if (over && IsWindowVisible(over)) {
    GetWindowRect(over, &area);
  } else {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromWindow(over ? over : hwnd, MONITOR_DEFAULTTOPRIMARY), &info);
    area = info.rcWork;
  }
  const int x = area.left + ((area.right - area.left) - width) / 2;
  const int y = area.top + ((area.bottom - area.top) - height) / 2;
  SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlaceWindow(HWND hwnd, int width_twips, int height_twips, HWND over) {
  const UINT made_at = DpiOf(hwnd);
  PlaceWindowOnce(hwnd, width_twips, height_twips, over);
  // A form is made on the primary monitor; moved over an owner on a monitor of another scale, it
  // got WM_DPICHANGED inside that move and laid its controls out anew, but the move gave it the
  // size reckoned at the old scale. Sized and centred again at the new one.
  if (DpiOf(hwnd) != made_at) PlaceWindowOnce(hwnd, width_twips, height_twips, over);
}

UniqueFont MakeFont(double points, bool bold, bool underline, UINT dpi) {
  LOGFONTW lf{};
  lf.lfHeight = -static_cast<LONG>(std::lround(points * dpi / 72.0));
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfUnderline = underline ? TRUE : FALSE;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  lstrcpynW(lf.lfFaceName, JapaneseFontFace().c_str(), LF_FACESIZE);
  return UniqueFont(CheckCall("CreateFontIndirectW", [&] { return CreateFontIndirectW(&lf); }));
}

}  // namespace

HFONT LayoutPass::Font(double points, bool bold, bool underline) {
  fonts_.push_back(MakeFont(points, bold, underline, dpi_));
  return fonts_.back().get();
}

void LayoutPass::Place(HWND control, int left, int top, int width, int height, HFONT font, int reserve) {
  MoveChild(control, Rect(left, top, width, height));
  const std::wstring text = WindowText(control);
  RECT client{};
  GetClientRect(control, &client);
  const int room = client.right - client.left - reserve - 1;
  HFONT chosen = font;
  ScopedGetDc dc(control);
  auto measure = [&](HFONT f, TEXTMETRICW* metrics) {
    ScopedSelect select(dc.get(), f);
    SIZE extent{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    if (metrics) GetTextMetricsW(dc.get(), metrics);
    return extent.cx;
  };
  TEXTMETRICW metrics{};
  int width_used = measure(font, &metrics);
  if (!text.empty() && room > 0 && width_used > room) {
    LOGFONTW lf{};
    GetObjectW(font, sizeof(lf), &lf);
    lf.lfWidth = std::max<LONG>(1, MulDiv(metrics.tmAveCharWidth, room, width_used));
    // Scaled glyph widths round; narrow a little more until the text really fits.
    for (int attempt = 0; attempt < 8; ++attempt) {
      UniqueFont narrow(CheckCall("CreateFontIndirectW(narrow)", [&] { return CreateFontIndirectW(&lf); }));
      width_used = measure(narrow.get(), nullptr);
      if (attempt == 0) {
        fonts_.push_back(std::move(narrow));
      } else {
        fonts_.back() = std::move(narrow);
      }
      if (width_used <= room || lf.lfWidth <= 1) break;
      --lf.lfWidth;
    }
    chosen = fonts_.back().get();
  }
  wchar_t cls[16] = {};
  GetClassNameW(control, cls, 16);
  const int label_height = client.bottom - client.top;
  if (lstrcmpiW(cls, L"Static") == 0 && metrics.tmHeight > label_height) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    const int grow = metrics.tmHeight - label_height;
    SetWindowPos(control, nullptr, r.left, r.top - grow / 2, r.right - r.left, r.bottom - r.top + grow,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(chosen), FALSE);
}

HWND CreateChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, DWORD ex_style) {
  return CheckCall("CreateWindowExW(control)", [&] {
    return CreateWindowExW(ex_style, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), InstanceOf(parent), nullptr);
  });
}

void MoveChild(HWND child, const RECT& r) {
  SetWindowPos(child, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

// A form carries this property, so that the message loops can tell the forms apart from other
// windows: its default button's id (0 for none) in the low word, a mark in the high word.
constexpr wchar_t kFormProp[] = L"PetarikoForm";
constexpr INT_PTR kFormMark = 0x10000;

bool IsForm(HWND window) { return GetPropW(window, kFormProp) != nullptr; }
int DefaultIdOf(HWND window) { return LOWORD(reinterpret_cast<INT_PTR>(GetPropW(window, kFormProp))); }

bool IsPushButton(HWND control) {
  wchar_t cls[16] = {};
  if (!control || !GetClassNameW(control, cls, 16) || lstrcmpiW(cls, L"Button") != 0) return false;
  const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW;
}

// The button Enter presses: the focused push button, else the window's default one (or none).
int EnterTarget(HWND window) {
  HWND focus = GetFocus();
  return IsChild(window, focus) && IsPushButton(focus) ? GetDlgCtrlID(focus) : DefaultIdOf(window);
}

// Whether Enter would press this button.
bool IsFramedAsDefault(const DRAWITEMSTRUCT& item) {
  HWND button = item.hwndItem;
  HWND window = GetAncestor(button, GA_ROOT);
  if (item.itemState & ODS_FOCUS) return true;
  const int default_id = DefaultIdOf(window);
  HWND fixed = default_id ? GetDlgItem(window, default_id) : nullptr;
  if (!fixed) return false;
  // While this button hands the focus on, the focus may still read as its own.
  HWND focus = GetFocus();
  return button == fixed && !(focus != button && IsChild(window, focus) && IsPushButton(focus));
}

// Paints an owner-drawn push button flat in `back` with its own window text centred, framed in
// black while Enter would press it.
void DrawColourButton(const DRAWITEMSTRUCT& item, COLORREF back) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  UniqueBrush brush(CreateSolidBrush(back));
  FillRect(dc, &r, brush.get());
  if (IsFramedAsDefault(item)) {
    UniqueBrush black(CreateSolidBrush(kBlack));
    FrameRect(dc, &r, black.get());
    InflateRect(&r, -1, -1);
  }
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  const std::wstring text = WindowText(item.hwndItem);
  auto font = reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
  ScopedSelect select(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, (item.itemState & ODS_DISABLED) ? GetSysColor(COLOR_GRAYTEXT) : kBlack);
  RECT text_rect = r;
  if (pressed) OffsetRect(&text_rect, 1, 1);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &text_rect,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (item.itemState & ODS_FOCUS) {
    RECT focus = item.rcItem;
    InflateRect(&focus, -4, -4);
    DrawFocusRect(dc, &focus);
  }
}

}  // namespace

Form::~Form() {
  // The form's handlers are gone: the window's last messages go to the system.
  if (window_) SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
}

void Form::Create(const Look& look, HWND owner, HWND over) {
  RegisterWindowClassOnce(instance_, look.class_name, MemberWindowProc<Form, &Form::hwnd_, &Form::Handle>);
  const DWORD ex_style = WS_EX_CONTROLPARENT | (look.modal_frame ? WS_EX_DLGMODALFRAME : 0);
  window_.reset(CheckCall("CreateWindowExW(form)", [&] {
    return CreateWindowExW(ex_style, look.class_name, look.caption,
                           WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 0, 0, 100, 100, owner, nullptr,
                           instance_, this);
  }));
  try {
    CreateControls();
    CheckCall("SetPropW",
              [&] { return SetPropW(hwnd_, kFormProp, reinterpret_cast<HANDLE>(kFormMark | look.default_id)); });
    ApplyLayout(DpiOf(hwnd_));
  } catch (...) {
    // A half-made form leaves nothing behind: its window goes with its controls, quietly.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    RemovePropW(hwnd_, kFormProp);
    window_.reset();
    throw;
  }
  PlaceWindow(hwnd_, look.width_twips, look.height_twips, over);
}

void Form::TellFailure(const std::wstring& text) { ShowMessageBox(hwnd_, text, ui::kTitleError, MB_OK); }

void Form::Show(HWND focus) {
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  SetFocus(focus ? focus : GetNextDlgTabItem(hwnd_, nullptr, FALSE));
}

void Form::RunModal(HWND owner) {
  if (owner) EnableWindow(owner, FALSE);
  MSG message;
  while (!finished_) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for the outer loop
      break;
    }
    if (got == -1) break;
    if (!TranslateDialogMessage(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  // Enabled again before the form goes, so that the activation returns to the owner.
  if (owner) {
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
  }
  window_.reset();
}

void Form::ApplyLayout(UINT dpi) {
  LayoutPass pass(dpi);
  try {
    Layout(pass);
  } catch (...) {
    // Some controls may hold the new fonts already: old and new stay until the form goes.
    for (UniqueFont& font : pass.TakeFonts()) fonts_.push_back(std::move(font));
    InvalidateRect(hwnd_, nullptr, TRUE);
    throw;
  }
  fonts_ = pass.TakeFonts();  // the old DPI's fonts go only now that no control holds them
  InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT Form::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client{};
      GetClientRect(hwnd_, &client);
      FillRect(reinterpret_cast<HDC>(wparam), &client, back_brush_.get());
      return 1;
    }
    case WM_PAINT: {
      ScopedPaint paint(hwnd_);
      UniqueBrush black(CreateSolidBrush(kBlack));
      for (const RECT& r : outlines_) FrameRect(paint.get(), &r, black.get());
      return 0;
    }
    case WM_CTLCOLORSTATIC: {
      const auto dc = reinterpret_cast<HDC>(wparam);
      SetTextColor(dc, TextColour(reinterpret_cast<HWND>(lparam)));
      SetBkColor(dc, kLightYellow);
      return reinterpret_cast<LRESULT>(back_brush_.get());
    }
    case WM_CTLCOLORBTN: return reinterpret_cast<LRESULT>(back_brush_.get());
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      // Where the focus goes decides whether the default button (a direct child of the form) is
      // framed, so every focus change redraws it too.
      const int default_id = DefaultIdOf(hwnd_);
      HWND fixed = default_id ? GetDlgItem(hwnd_, default_id) : nullptr;
      if (item.itemAction == ODA_FOCUS && fixed && fixed != item.hwndItem) InvalidateRect(fixed, nullptr, FALSE);
      if (!DrawOwnItem(item)) DrawColourButton(item, kLightOrange);
      return TRUE;
    }
    case WM_COMMAND: OnCommand(LOWORD(wparam), HIWORD(wparam)); return 0;
    case WM_NOTIFY: OnNotify(*reinterpret_cast<const NMHDR*>(lparam)); return 0;
    case WM_CLOSE: OnClose(); return 0;
    case WM_DPICHANGED: {
      const RECT r = *reinterpret_cast<const RECT*>(lparam);  // the system's suggestion
      try {
        ApplyLayout(HIWORD(wparam));
      } catch (const ActionFailed&) {
        // The form stays as it is, its edits included, at the size it had.
        TellFailure(ui::kRelayoutFailed);
        return 0;
      }
      SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case DM_GETDEFID:
      // IsDialogMessage asks which button Enter presses; the owner-drawn buttons cannot say.
      // A form without a default button answers 0, which no command of a form takes.
      return MAKELRESULT(EnterTarget(hwnd_), DC_HASDEFID);
    case WM_ACTIVATE:
      // The focus returns to its control when the form is activated again.
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (IsChild(hwnd_, focus)) last_focus_ = focus;
      } else if (IsChild(hwnd_, last_focus_) && IsWindowEnabled(last_focus_)) {
        SetFocus(last_focus_);
        return 0;
      }
      break;
    case WM_NCDESTROY: {
      // The window is gone with this message; the form may go with it.
      const HWND hwnd = hwnd_;
      window_.release();
      RemovePropW(hwnd, kFormProp);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      OnFinalMessage();
      return DefWindowProcW(hwnd, message, wparam, lparam);
    }
    default: {
      LRESULT result = 0;
      if (OnOtherMessage(message, wparam, lparam, result)) return result;
      break;
    }
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

bool TranslateDialogMessage(MSG& message) {
  if (!message.hwnd) return false;
  HWND root = GetAncestor(message.hwnd, GA_ROOT);
  if (!root || !IsForm(root) || !IsWindowEnabled(root)) return false;
  return IsDialogMessageW(root, &message) != FALSE;
}

bool BringForward(HWND window) {
  HWND target = GetLastActivePopup(window);
  if (!IsWindow(target) || !IsWindowVisible(target)) target = window;
  if (!IsWindowVisible(target)) return false;
  // The windows it owns rise with it: the box comes with what it belongs to.
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetForegroundWindow(target);
  return true;
}

std::wstring WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
  return text;
}

void ShellOpen(HWND owner, const std::wstring& target) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  // NOASYNC: the call returns only when the shell is done, since nothing pumps for it after.
  // NO_UI: a failure is told by the caller's own message, not first by a box of the shell's.
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.hwnd = owner;
  info.lpVerb = L"open";
  info.lpFile = target.c_str();
  info.nShow = SW_SHOWNORMAL;
  CheckCall("ShellExecuteExW", [&] { return ShellExecuteExW(&info); });
}

}  // namespace petariko::dialog
