// The about box (frmAbout). The help page and the links open with the shell's default
// programs: a browser for help.html and the homepage, the mail program for the mail link.
#include "about/about_box_win32.h"

#include <windows.h>

#include <array>
#include <vector>

#include "about/help.h"
#include "core/ui_strings.h"
#include "win32/handles_win32.h"
#include "win32/window_proc_win32.h"
#include "res/resource.h"
#include "win32/dialog_kit_win32.h"

namespace petariko {
namespace {

using dialog::TwipsRect;

constexpr wchar_t kAboutClass[] = L"PetarikoAboutBox";
constexpr int kClientWidth = 4425;
constexpr int kClientHeight = 3300;

enum ControlId : int {
  kIdClose = IDCANCEL,  // Command1: Enter and Esc both close the box
  kIdHelp = 202,        // Command2
  kIdHomepage = 303,    // Label3
  kIdMail = 305,        // Label5
  kIdLabel = 400,
  kIdFrame = 500,
};

class AboutBox {
 public:
  AboutBox(HINSTANCE instance, std::wstring program_dir)
      : instance_(instance), program_dir_(std::move(program_dir)) {}
  void Run(HWND owner);

 private:
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls();
  void Layout(UINT dpi);
  void OnCommand(int id, int code);
  bool IsLink(HWND control) const { return control == homepage_ || control == mail_; }

  HINSTANCE instance_;
  std::wstring program_dir_;
  bool done_ = false;

  HWND hwnd_ = nullptr;
  HWND icon_ = nullptr, title_ = nullptr, frame_ = nullptr;
  std::array<HWND, 6> labels_{};  // Label1, Label2, lblDescription, Label3, Label4, Label5
  HWND homepage_ = nullptr, mail_ = nullptr;
  HWND help_ = nullptr, close_ = nullptr;
  dialog::FrameLook frame_look_;

  UniqueIcon icon_image_;
  UniqueFont title_font_, link_font_, text_font_;
  std::vector<UniqueFont> fitted_fonts_;
  UniqueBrush back_brush_{CreateSolidBrush(dialog::kLightYellow)};
};

void AboutBox::Run(HWND owner) {
  dialog::RegisterFrameClass(instance_);
  dialog::RegisterWindowClassOnce(instance_, kAboutClass,
                                  MemberWindowProc<AboutBox, &AboutBox::hwnd_, &AboutBox::Handle>);
  UniqueWindow window(Check(CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME, kAboutClass,
                                            ui::kAboutCaption,
                                            WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 0,
                                            0, 100, 100, owner, nullptr, instance_, this),
                            "CreateWindowExW(about)"));
  CreateControls();
  dialog::MakeDialogLike(hwnd_, kIdClose);
  Layout(dialog::DpiOf(hwnd_));
  dialog::PlaceWindow(hwnd_, kClientWidth, kClientHeight, owner);
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  SetFocus(close_);
  dialog::RunModal(owner, done_);
}

void AboutBox::CreateControls() {
  icon_ = dialog::CreateChild(hwnd_, L"STATIC", L"", SS_ICON | SS_CENTERIMAGE, kIdLabel);
  title_ = dialog::CreateChild(hwnd_, L"STATIC", ui::kAboutTitleLine, SS_NOPREFIX | SS_LEFTNOWORDWRAP, kIdLabel);
  frame_look_.caption_font = nullptr;
  frame_ = dialog::CreateFrame(hwnd_, L"", kIdFrame, &frame_look_);
  const std::wstring texts[] = {ui::kAboutAuthor, MakerName(), ui::kAboutHomepage,
                                MakerHomepage(),  ui::kAboutMail, MakerMail()};
  for (size_t i = 0; i < labels_.size(); ++i) {
    const bool link = (i == 3 || i == 5);
    labels_[i] = dialog::CreateChild(frame_, L"STATIC", texts[i].c_str(),
                                     SS_NOPREFIX | SS_LEFTNOWORDWRAP | (link ? SS_NOTIFY : 0),
                                     link ? (i == 3 ? kIdHomepage : kIdMail) : kIdLabel);
  }
  homepage_ = labels_[3];
  mail_ = labels_[5];
  help_ = dialog::CreateChild(hwnd_, L"BUTTON", ui::kHelp, WS_TABSTOP | BS_OWNERDRAW, kIdHelp);
  close_ = dialog::CreateChild(hwnd_, L"BUTTON", ui::kClose, WS_TABSTOP | BS_OWNERDRAW, kIdClose);
}

void AboutBox::Layout(UINT dpi) {
  // The fonts and the icon of the old DPI go only once no control holds them any more.
  UniqueFont title_font = dialog::MakeFont(11.25, true, false, dpi);
  UniqueFont link_font = dialog::MakeFont(9, false, true, dpi);
  UniqueFont text_font = dialog::MakeFont(9, false, false, dpi);
  std::vector<UniqueFont> fitted_fonts;
  auto place = [&](HWND control, int left, int top, int width, int height, HFONT font) {
    dialog::MoveChild(control, TwipsRect(left, top, width, height, dpi));
    dialog::SetFittedFont(control, font, 0, fitted_fonts);
  };
  const RECT icon_rect = TwipsRect(180, 180, 480, 480, dpi);
  dialog::MoveChild(icon_, icon_rect);
  const int icon_size = icon_rect.right - icon_rect.left;
  UniqueIcon icon_image(static_cast<HICON>(
      LoadImageW(instance_, MAKEINTRESOURCEW(IDI_PETARIKO), IMAGE_ICON, icon_size, icon_size, LR_DEFAULTCOLOR)));
  SendMessageW(icon_, STM_SETICON, reinterpret_cast<WPARAM>(icon_image.get()), 0);

  place(title_, 840, 300, 3285, 225, title_font.get());
  dialog::MoveChild(frame_, TwipsRect(180, 1020, 4095, 1215, dpi));
  // The value labels run to the frame's edge so that a longer address is not cut off.
  constexpr int kValueWidth = 4095 - 1560 - 60;
  place(labels_[0], 180, 240, 1305, 165, text_font.get());
  place(labels_[1], 1560, 240, kValueWidth, 180, text_font.get());
  place(labels_[2], 180, 540, 1305, 165, text_font.get());
  place(labels_[3], 1560, 540, kValueWidth, 225, link_font.get());
  place(labels_[4], 180, 840, 1305, 165, text_font.get());
  place(labels_[5], 1560, 840, kValueWidth, 225, link_font.get());
  place(help_, 2880, 2400, 1395, 315, text_font.get());
  place(close_, 2880, 2820, 1395, 315, text_font.get());
  icon_image_ = std::move(icon_image);
  title_font_ = std::move(title_font);
  link_font_ = std::move(link_font);
  text_font_ = std::move(text_font);
  fitted_fonts_ = std::move(fitted_fonts);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void AboutBox::OnCommand(int id, int code) {
  if (id == kIdHomepage && code == STN_CLICKED) {
    dialog::ShellOpen(hwnd_, MakerHomepage());
  } else if (id == kIdMail && code == STN_CLICKED) {
    dialog::ShellOpen(hwnd_, MailtoLink(MakerMail()));
  } else if (id == kIdHelp && code == BN_CLICKED) {
    // Sent to the browser whether or not the page is there; the browser says so if not.
    dialog::ShellOpen(hwnd_, HelpPagePath(program_dir_));
  } else if (id == kIdClose && code == BN_CLICKED) {
    done_ = true;
  }
}

LRESULT AboutBox::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return dialog::EraseBackground(hwnd_, wparam, back_brush_.get());
    case WM_CTLCOLORSTATIC: {
      const HWND control = reinterpret_cast<HWND>(lparam);
      return dialog::ColourStatic(reinterpret_cast<HDC>(wparam), IsLink(control) ? dialog::kBlue : dialog::kBlack,
                                  back_brush_.get(), dialog::kLightYellow);
    }
    case WM_SETCURSOR:
      if (IsLink(reinterpret_cast<HWND>(wparam))) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_DRAWITEM:
      dialog::DrawColourButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam), dialog::kLightOrange);
      return TRUE;
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_CLOSE:
      done_ = true;
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

void RunAboutBox(HINSTANCE instance, HWND owner, const std::wstring& program_dir) {
  AboutBox box(instance, program_dir);
  box.Run(owner);
}

}  // namespace petariko
