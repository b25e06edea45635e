// The skeleton of the settings screen, the gesture editor and the about box: a form's window,
// its yellow background, the colours of its labels, its flat orange buttons, its close box, its
// layout in twips at the window's DPI (again after a DPI change), the keyboard of a dialog and
// the loop of a modal form. Each form adds only its controls, their places and its commands.
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

UINT DpiOf(HWND hwnd);

// Registers a class of these hand-made windows once per run: an arrow cursor and no background
// brush, since each paints its own in WM_ERASEBKGND.
void RegisterWindowClassOnce(HINSTANCE instance, const wchar_t* name, WNDPROC proc);
HINSTANCE InstanceOf(HWND window);

// One layout of a form at one DPI. The fonts it makes stay until the next layout has given
// every control its own, so that no control is left holding a deleted font.
class LayoutPass {
 public:
  explicit LayoutPass(UINT dpi) : dpi_(dpi) {}
  UINT dpi() const { return dpi_; }
  int Twips(int twips) const { return dialog::Twips(twips, dpi_); }
  RECT Rect(int left, int top, int width, int height) const { return TwipsRect(left, top, width, height, dpi_); }
  // The program's Japanese face (JapaneseFontFace) at `points`.
  HFONT Font(double points, bool bold = false, bool underline = false);
  // Moves `control` to the rectangle in twips and gives it `font`, or a horizontally narrowed
  // copy of it when its text would not fit the width: where the classic narrow font is missing,
  // a wider substitute would otherwise cut captions off. `reserve` is the part of the width the
  // text cannot use (the circle of an option button). A label lower than its font's line grows
  // around its middle.
  void Place(HWND control, int left, int top, int width, int height, HFONT font, int reserve = 0);
  std::vector<UniqueFont> TakeFonts() { return std::move(fonts_); }

 private:
  UINT dpi_;
  std::vector<UniqueFont> fonts_;
};

// Child control creation with the caption as window text.
HWND CreateChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, DWORD ex_style = 0);
void MoveChild(HWND child, const RECT& r);

// One of the program's forms. The window lives as long as the form, or ends it: a form that
// outlives its modal loop is destroyed with its window (OnFinalMessage).
class Form {
 public:
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;
  HWND hwnd() const { return hwnd_; }

 protected:
  struct Look {
    const wchar_t* class_name;  // one class per form, so that an open one can be found
    const wchar_t* caption;
    int width_twips;  // of the client area
    int height_twips;
    int default_id;    // the button Enter presses when no push button has the focus
    bool modal_frame;  // a dialog's frame, without the window icon
  };

  explicit Form(HINSTANCE instance) : instance_(instance) {}
  virtual ~Form();

  // Makes the window, owned by `owner`, with its controls laid out at its DPI, centred on
  // `over` (or on the monitor's work area when null). When a call is refused, what was made
  // goes again and the failure is thrown on.
  void Create(const Look& look, HWND owner, HWND over);
  // Shows the window in front, with the focus on `focus` (null: the first tab stop).
  void Show(HWND focus);
  // Runs messages until Finish(), with `owner` disabled meanwhile, then destroys the window.
  void RunModal(HWND owner);
  void Finish() { finished_ = true; }
  bool finished() const { return finished_; }

  // Runs one action of the form. When a call it makes is refused, the action ends there with
  // `failed` in a box over the form, and the form stays open as it is.
  template <typename Body>
  void Attempt(const std::wstring& failed, Body&& body) {
    try {
      body();
    } catch (const ActionFailed&) {
      TellFailure(failed);
    }
  }
  // A box titled "エラー" over the form.
  virtual void TellFailure(const std::wstring& text);

  // The form's own part.
  virtual void CreateControls() = 0;
  virtual void Layout(LayoutPass& pass) = 0;
  virtual void OnCommand(int id, int code) = 0;
  // The close box and Alt+F4: a modal form finishes, as its cancel button does.
  virtual void OnClose() { Finish(); }
  // Label and option text; the background is the form's yellow.
  virtual COLORREF TextColour(HWND) const { return kBlack; }
  // An owner-drawn item the form draws itself: true when it did. The rest are push buttons, drawn
  // flat in orange.
  virtual bool DrawOwnItem(const DRAWITEMSTRUCT&) { return false; }
  virtual void OnNotify(const NMHDR&) {}
  // Any other message: true when the form handled it, with `result`.
  virtual bool OnOtherMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }
  // The window's last message; the form may delete itself here.
  virtual void OnFinalMessage() {}

  HBRUSH back_brush() const { return back_brush_.get(); }

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  std::vector<RECT> outlines_;  // shapes drawn in black on the form, in client pixels

 private:
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void ApplyLayout(UINT dpi);

  UniqueWindow window_;
  UniqueBrush back_brush_{CreateSolidBrush(kLightYellow)};
  std::vector<UniqueFont> fonts_;  // of the current layout
  HWND last_focus_ = nullptr;      // where the focus returns when the form is active again
  bool finished_ = false;
};

// For every message loop, before TranslateMessage: a message for an enabled form goes through
// IsDialogMessage (a disabled one is waiting on a box of its own). True when the message was
// used up.
bool TranslateDialogMessage(MSG& message);

// Brings the box or dialog that `window` showed last to the front, or `window` itself; false
// when neither is on screen.
bool BringForward(HWND window);

// Window text as a string.
std::wstring WindowText(HWND hwnd);

// Opens a document, folder or URL with the shell's default program; Win32Error when the shell
// refuses (no program for it, a file that is not there).
void ShellOpen(HWND owner, const std::wstring& target);

}  // namespace petariko::dialog
