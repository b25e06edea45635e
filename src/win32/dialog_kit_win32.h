// Shared pieces of the settings screen, the gesture editor and the about box: twips layout at
// the window's DPI, the Japanese UI font, coloured frames and flat coloured push buttons, the
// keyboard of a dialog, and a modal loop for windows that are not dialog-template dialogs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win32/handles_win32.h"

namespace petariko::dialog {

inline constexpr COLORREF kLightYellow = RGB(255, 255, 192);
inline constexpr COLORREF kLightOrange = RGB(255, 192, 128);
inline constexpr COLORREF kBlue = RGB(0, 0, 255);
inline constexpr COLORREF kRed = RGB(255, 0, 0);
inline constexpr COLORREF kBlack = RGB(0, 0, 0);

// 1440 twips to the inch.
int Twips(int twips, UINT dpi);
RECT TwipsRect(int left, int top, int width, int height, UINT dpi);

// The program's Japanese face (JapaneseFontFace) at `points` for `dpi`.
UniqueFont MakeFont(double points, bool bold, bool underline, UINT dpi);

UINT DpiOf(HWND hwnd);

// Sizes a fixed-border window so that its client area is width x height twips, and centres it
// on `over` (or on the monitor's work area when null).
void PlaceWindow(HWND hwnd, int width_twips, int height_twips, HWND over);

// A VB-style frame: a container control that paints its own background, an etched border
// with its caption in the given font and colour, and optional outline rectangles ("shapes").
// It passes the notifications of the controls inside it on to its parent.
struct FrameLook {
  COLORREF back = kLightYellow;
  COLORREF caption_colour = kBlue;
  HFONT caption_font = nullptr;
  bool border = true;
  std::vector<RECT> outlines;  // in client pixels, drawn in black
};
void RegisterFrameClass(HINSTANCE instance);
inline constexpr wchar_t kFrameClass[] = L"PetarikoFrame";
// `look` must outlive the window.
HWND CreateFrame(HWND parent, const wchar_t* caption, int id, FrameLook* look);

// Child control creation with the caption as window text.
HWND CreateChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id,
                 DWORD ex_style = 0);
void MoveChild(HWND child, const RECT& r);

// Gives a control `font`, or a horizontally narrowed copy of it (kept in `keep`) when its text
// would not fit its width: where the classic narrow font is missing, a wider substitute would
// otherwise cut captions off. `reserve` is the part of the width the text cannot use (the
// circle of an option button).
void SetFittedFont(HWND control, HFONT font, int reserve, std::vector<UniqueFont>& keep);

// Paints an owner-drawn push button flat in `back` with its own window text centred, framed in
// black while Enter would press it.
void DrawColourButton(const DRAWITEMSTRUCT& item, COLORREF back);

// The background brush for labels, option buttons and the slider on the yellow forms.
LRESULT ColourStatic(HDC dc, COLORREF text, HBRUSH back_brush, COLORREF back);

// Gives a top-level window of this kit the keyboard of a dialog: Tab and Shift+Tab walk the
// WS_TABSTOP controls in creation order, the arrow keys move between the options of a WS_GROUP
// group, Enter presses the focused push button or else the button `default_id` (a direct child),
// Esc sends IDCANCEL, and the focus returns to its control when the window is activated again.
void MakeDialogLike(HWND window, int default_id);

// For every message loop, before TranslateMessage: a message for an enabled dialog-like window
// goes through IsDialogMessage (a disabled one is waiting on a box of its own). True when the
// message was used up.
bool TranslateDialogMessage(MSG& message);

// Brings the box or dialog that `window` showed last to the front, or `window` itself; false
// when neither is on screen.
bool BringForward(HWND window);

// Runs messages until `done` turns true, with `owner` disabled meanwhile; a WM_QUIT is put back
// for the outer loop.
void RunModal(HWND owner, const bool& done);

// Registers a class of these hand-made windows once per run: an arrow cursor and no background
// brush, since each paints its own in WM_ERASEBKGND.
void RegisterWindowClassOnce(HINSTANCE instance, const wchar_t* name, WNDPROC proc);

// WM_ERASEBKGND: the whole client area in `brush`.
LRESULT EraseBackground(HWND hwnd, WPARAM dc, HBRUSH brush);

// WM_DPICHANGED, after the layout for the new DPI: takes the rectangle the system suggests.
void MoveToSuggestedRect(HWND hwnd, LPARAM suggested);

// Window text as a string.
std::wstring WindowText(HWND hwnd);

// Opens a document, folder or URL with the shell's default program.
bool ShellOpen(HWND owner, const std::wstring& target);

}  // namespace petariko::dialog
