#include "win32/dialog_kit_win32.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "win32/font_face_win32.h"
#include "win32/window_proc_win32.h"

namespace petariko::dialog {

int Twips(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

RECT TwipsRect(int left, int top, int width, int height, UINT dpi) {
  const int x = Twips(left, dpi);
  const int y = Twips(top, dpi);
  return RECT{x, y, x + Twips(width, dpi), y + Twips(height, dpi)};
}

UniqueFont MakeFont(double points, bool bold, bool underline, UINT dpi) {
  LOGFONTW lf{};
  lf.lfHeight = -static_cast<LONG>(std::lround(points * dpi / 72.0));
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfUnderline = underline ? TRUE : FALSE;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  lstrcpynW(lf.lfFaceName, JapaneseFontFace().c_str(), LF_FACESIZE);
  return UniqueFont(Check(CreateFontIndirectW(&lf), "CreateFontIndirectW"));
}

UINT DpiOf(HWND hwnd) {
  const UINT dpi = GetDpiForWindow(hwnd);
  return dpi ? dpi : USER_DEFAULT_SCREEN_DPI;
}

void PlaceWindow(HWND hwnd, int width_twips, int height_twips, HWND over) {
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

namespace {

LRESULT HandleFrame(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* look = reinterpret_cast<FrameLook*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      ScopedPaint paint(hwnd);
      if (!look) return 0;
      HDC dc = paint.get();
      RECT client{};
      GetClientRect(hwnd, &client);
      UniqueBrush back(CreateSolidBrush(look->back));
      FillRect(dc, &client, back.get());
      const std::wstring caption = WindowText(hwnd);
      ScopedSelect font(dc, look->caption_font ? look->caption_font : GetStockObject(DEFAULT_GUI_FONT));
      SIZE text{};
      GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
      if (look->border) {
        RECT edge = client;
        edge.top = caption.empty() ? 0 : text.cy / 2;
        DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
      }
      if (!caption.empty()) {
        const int x = Twips(120, DpiOf(hwnd));
        RECT behind{x - 2, 0, x + text.cx + 2, text.cy};
        FillRect(dc, &behind, back.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, look->caption_colour);
        TextOutW(dc, x, 0, caption.c_str(), static_cast<int>(caption.size()));
      }
      UniqueBrush outline(CreateSolidBrush(kBlack));
      for (const RECT& r : look->outlines) FrameRect(dc, &r, outline.get());
      return 0;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_HSCROLL:
    case WM_VSCROLL:
      // The form, not the frame, owns the behaviour of the controls inside the frame.
      return SendMessageW(GetParent(hwnd), message, wparam, lparam);
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return Guarded([&] { return HandleFrame(hwnd, message, wparam, lparam); });
}

}  // namespace

void RegisterFrameClass(HINSTANCE instance) { RegisterWindowClassOnce(instance, kFrameClass, FrameProc); }

HWND CreateFrame(HWND parent, const wchar_t* caption, int id, FrameLook* look) {
  return Check(CreateWindowExW(WS_EX_CONTROLPARENT, kFrameClass, caption,
                               WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0,
                               0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                               look),
               "CreateWindowExW(frame)");
}

HWND CreateChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id,
                 DWORD ex_style) {
  return Check(CreateWindowExW(ex_style, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                               parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                               nullptr),
               "CreateWindowExW(control)");
}

void MoveChild(HWND child, const RECT& r) {
  SetWindowPos(child, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetFittedFont(HWND control, HFONT font, int reserve, std::vector<UniqueFont>& keep) {
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
  int width = measure(font, &metrics);
  if (!text.empty() && room > 0 && width > room) {
    LOGFONTW lf{};
    GetObjectW(font, sizeof(lf), &lf);
    lf.lfWidth = std::max<LONG>(1, MulDiv(metrics.tmAveCharWidth, room, width));
    // Scaled glyph widths round; narrow a little more until the text really fits.
    for (int attempt = 0; attempt < 8; ++attempt) {
      UniqueFont narrow(Check(CreateFontIndirectW(&lf), "CreateFontIndirectW(narrow)"));
      width = measure(narrow.get(), nullptr);
      if (attempt == 0) {
        keep.push_back(std::move(narrow));
      } else {
        keep.back() = std::move(narrow);
      }
      if (width <= room || lf.lfWidth <= 1) break;
      --lf.lfWidth;
    }
    chosen = keep.back().get();
  }
  // A label lower than its font's line would cut the text off at the bottom: it grows around
  // its middle instead.
  wchar_t cls[16] = {};
  GetClassNameW(control, cls, 16);
  const int height = client.bottom - client.top;
  if (lstrcmpiW(cls, L"Static") == 0 && metrics.tmHeight > height) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    const int grow = metrics.tmHeight - height;
    SetWindowPos(control, nullptr, r.left, r.top - grow / 2, r.right - r.left,
                 r.bottom - r.top + grow, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(chosen), FALSE);
}

namespace {

// A dialog-like window carries its default button's id under this property, so that the message
// loops can tell such windows apart without loading the common controls.
constexpr wchar_t kDefaultIdProp[] = L"PetarikoDefaultId";
constexpr UINT_PTR kDialogKeysSubclass = 1;

int DefaultIdOf(HWND window) {
  return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(window, kDefaultIdProp)));
}

bool IsPushButton(HWND control) {
  wchar_t cls[16] = {};
  if (!control || !GetClassNameW(control, cls, 16) || lstrcmpiW(cls, L"Button") != 0) return false;
  const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW;
}

// The button Enter presses: the focused push button, else the window's default one.
int EnterTarget(HWND window) {
  HWND focus = GetFocus();
  return IsChild(window, focus) && IsPushButton(focus) ? GetDlgCtrlID(focus) : DefaultIdOf(window);
}

// Whether Enter would press this button. Where the focus goes decides whether the default button
// (a direct child of the window) is framed, so every focus change of a button redraws it too.
bool IsFramedAsDefault(const DRAWITEMSTRUCT& item) {
  HWND button = item.hwndItem;
  HWND window = GetAncestor(button, GA_ROOT);
  const int default_id = DefaultIdOf(window);
  if (default_id == 0) return false;
  HWND fixed = GetDlgItem(window, default_id);
  if (item.itemAction == ODA_FOCUS && fixed && fixed != button) InvalidateRect(fixed, nullptr, FALSE);
  if (item.itemState & ODS_FOCUS) return true;
  // While this button hands the focus on, the focus may still read as its own.
  HWND focus = GetFocus();
  return button == fixed && !(focus != button && IsChild(window, focus) && IsPushButton(focus));
}

struct DialogKeys {
  HWND last_focus = nullptr;
};

LRESULT CALLBACK DialogKeysProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                DWORD_PTR keys);

LRESULT HandleDialogKeys(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, DialogKeys* keys) {
  switch (message) {
    case DM_GETDEFID:
      // IsDialogMessage asks which button Enter presses; the owner-drawn buttons cannot say.
      return MAKELRESULT(EnterTarget(hwnd), DC_HASDEFID);
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (IsChild(hwnd, focus)) keys->last_focus = focus;
      } else if (IsChild(hwnd, keys->last_focus) && IsWindowEnabled(keys->last_focus)) {
        SetFocus(keys->last_focus);
        return 0;
      }
      break;
    case WM_NCDESTROY:
      RemovePropW(hwnd, kDefaultIdProp);
      RemoveWindowSubclass(hwnd, DialogKeysProc, kDialogKeysSubclass);
      delete keys;
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK DialogKeysProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                DWORD_PTR keys) {
  return Guarded([&] { return HandleDialogKeys(hwnd, message, wparam, lparam, reinterpret_cast<DialogKeys*>(keys)); });
}

}  // namespace

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

LRESULT ColourStatic(HDC dc, COLORREF text, HBRUSH back_brush, COLORREF back) {
  SetTextColor(dc, text);
  SetBkColor(dc, back);
  return reinterpret_cast<LRESULT>(back_brush);
}

void MakeDialogLike(HWND window, int default_id) {
  auto keys = std::make_unique<DialogKeys>();
  CheckCall("SetWindowSubclass", [&] {
    return SetWindowSubclass(window, DialogKeysProc, kDialogKeysSubclass, reinterpret_cast<DWORD_PTR>(keys.get()));
  });
  keys.release();  // the subclass deletes it at WM_NCDESTROY
  Check(SetPropW(window, kDefaultIdProp, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(default_id))), "SetPropW");
}

bool TranslateDialogMessage(MSG& message) {
  if (!message.hwnd) return false;
  HWND root = GetAncestor(message.hwnd, GA_ROOT);
  if (!root || DefaultIdOf(root) == 0 || !IsWindowEnabled(root)) return false;
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

void RunModal(HWND owner, const bool& done) {
  if (owner) EnableWindow(owner, FALSE);
  MSG message;
  while (!done) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (got == -1) break;
    if (!TranslateDialogMessage(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  // Enabled again before the dialog goes, so that the activation returns to the owner.
  if (owner) {
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
  }
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
  Check(RegisterClassExW(&wc), "RegisterClassExW");
}

LRESULT EraseBackground(HWND hwnd, WPARAM dc, HBRUSH brush) {
  RECT client{};
  GetClientRect(hwnd, &client);
  FillRect(reinterpret_cast<HDC>(dc), &client, brush);
  return 1;
}

void MoveToSuggestedRect(HWND hwnd, LPARAM suggested) {
  const RECT* r = reinterpret_cast<const RECT*>(suggested);
  SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
  return text;
}

bool ShellOpen(HWND owner, const std::wstring& target) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  // NOASYNC: the call returns only when the shell is done, since nothing pumps for it after.
  info.fMask = SEE_MASK_NOASYNC;
  info.hwnd = owner;
  info.lpVerb = L"open";
  info.lpFile = target.c_str();
  info.nShow = SW_SHOWNORMAL;
  return ShellExecuteExW(&info) != FALSE;
}

}  // namespace petariko::dialog
