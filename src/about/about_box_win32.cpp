// The about box (frmAbout). The help page and the links open with the shell's default
// programs: a browser for help.html and the homepage, the mail program for the mail link.
#include "about/about_box_win32.h"

#include <windows.h>

#include <array>

#include "about/help.h"
#include "core/ui_strings.h"
#include "res/resource.h"
#include "win32/dialog_frame_win32.h"
#include "win32/dialog_kit_win32.h"
#include "win32/handles_win32.h"

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

class AboutBox : public dialog::Form {
 public:
  AboutBox(HINSTANCE instance, std::wstring program_dir) : Form(instance), program_dir_(std::move(program_dir)) {}
  void Run(HWND owner);

 private:
  void CreateControls() override;
  void Layout(dialog::LayoutPass& pass) override;
  void OnCommand(int id, int code) override;
  bool DrawOwnItem(const DRAWITEMSTRUCT& item) override;  // the links
  bool OnOtherMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
  bool IsLink(HWND control) const { return control == homepage_ || control == mail_; }

  std::wstring program_dir_;

  HWND icon_ = nullptr, title_ = nullptr, frame_ = nullptr;
  std::array<HWND, 6> labels_{};  // Label1, Label2, lblDescription, Label3, Label4, Label5
  HWND homepage_ = nullptr, mail_ = nullptr;
  HWND help_ = nullptr, close_ = nullptr;
  dialog::FrameLook frame_look_;
  UniqueIcon icon_image_;
};

void AboutBox::Run(HWND owner) {
  Create({kAboutClass, ui::kAboutCaption, kClientWidth, kClientHeight, kIdClose, true}, owner, owner);
  Show(close_);
  RunModal(owner);
}

void AboutBox::CreateControls() {
  icon_ = dialog::CreateChild(hwnd_, L"STATIC", L"", SS_ICON | SS_CENTERIMAGE, kIdLabel);
  title_ = dialog::CreateChild(hwnd_, L"STATIC", ui::kAboutTitleLine, SS_NOPREFIX | SS_LEFTNOWORDWRAP, kIdLabel);
  frame_ = dialog::CreateFrame(hwnd_, L"", kIdFrame, &frame_look_);
  const std::wstring texts[] = {ui::kAboutAuthor, MakerName(),    ui::kAboutHomepage,
                                MakerHomepage(),  ui::kAboutMail, MakerMail()};
  for (size_t i = 0; i < labels_.size(); ++i) {
    // The links are buttons drawn as links, so that Tab reaches them and Enter or Space opens them.
    const bool link = (i == 3 || i == 5);
    labels_[i] =
        link ? dialog::CreateChild(frame_, L"BUTTON", texts[i].c_str(), WS_TABSTOP | BS_OWNERDRAW,
                                   i == 3 ? kIdHomepage : kIdMail)
             : dialog::CreateChild(frame_, L"STATIC", texts[i].c_str(), SS_NOPREFIX | SS_LEFTNOWORDWRAP, kIdLabel);
  }
  homepage_ = labels_[3];
  mail_ = labels_[5];
  help_ = dialog::CreateChild(hwnd_, L"BUTTON", ui::kHelp, WS_TABSTOP | BS_OWNERDRAW, kIdHelp);
  close_ = dialog::CreateChild(hwnd_, L"BUTTON", ui::kClose, WS_TABSTOP | BS_OWNERDRAW, kIdClose);
}

void AboutBox::Layout(dialog::LayoutPass& pass) {
  HFONT title_font = pass.Font(11.25, true);
  HFONT link_font = pass.Font(9, false, true);
  HFONT text_font = pass.Font(9);
  const RECT icon_rect = pass.Rect(180, 180, 480, 480);
  dialog::MoveChild(icon_, icon_rect);
  const int icon_size = icon_rect.right - icon_rect.left;
  // The icon of the old DPI goes only once the control holds the new one.
  UniqueIcon icon_image(static_cast<HICON>(
      LoadImageW(instance_, MAKEINTRESOURCEW(IDI_PETARIKO), IMAGE_ICON, icon_size, icon_size, LR_DEFAULTCOLOR)));
  SendMessageW(icon_, STM_SETICON, reinterpret_cast<WPARAM>(icon_image.get()), 0);
  icon_image_ = std::move(icon_image);

  pass.Place(title_, 840, 300, 3285, 225, title_font);
  dialog::MoveChild(frame_, pass.Rect(180, 1020, 4095, 1215));
  // The value labels run to the frame's edge so that a longer address is not cut off.
  constexpr int kValueWidth = 4095 - 1560 - 60;
  pass.Place(labels_[0], 180, 240, 1305, 165, text_font);
  pass.Place(labels_[1], 1560, 240, kValueWidth, 180, text_font);
  pass.Place(labels_[2], 180, 540, 1305, 165, text_font);
  pass.Place(labels_[3], 1560, 540, kValueWidth, 225, link_font);
  pass.Place(labels_[4], 180, 840, 1305, 165, text_font);
  pass.Place(labels_[5], 1560, 840, kValueWidth, 225, link_font);
  pass.Place(help_, 2880, 2400, 1395, 315, text_font);
  pass.Place(close_, 2880, 2820, 1395, 315, text_font);
}

void AboutBox::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  std::wstring target;
  if (id == kIdHomepage) {
    target = MakerHomepage();
  } else if (id == kIdMail) {
    target = MailtoLink(MakerMail());
  } else if (id == kIdHelp) {
    // Sent to the browser without a look whether the page is there; the message below says so if not.
    target = HelpPagePath(program_dir_);
  } else if (id == kIdClose) {
    Finish();
    return;
  } else {
    return;
  }
  Attempt(target + L"\r\n" + ui::kOpenFailedSuffix, [&] { dialog::ShellOpen(hwnd_, target); });
}

bool AboutBox::DrawOwnItem(const DRAWITEMSTRUCT& item) {
  if (!IsLink(item.hwndItem)) return false;
  RECT r = item.rcItem;
  FillRect(item.hDC, &r, back_brush());
  const std::wstring text = dialog::WindowText(item.hwndItem);
  ScopedSelect font(item.hDC, reinterpret_cast<HGDIOBJ>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, dialog::kBlue);
  const UINT format = DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX;
  DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &r, format);
  if (item.itemState & ODS_FOCUS) {
    RECT extent = r;
    DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &extent, format | DT_CALCRECT);
    DrawFocusRect(item.hDC, &extent);
  }
  return true;
}

bool AboutBox::OnOtherMessage(UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
  if (message == WM_SETCURSOR && IsLink(reinterpret_cast<HWND>(wparam))) {
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    result = TRUE;
    return true;
  }
  return false;
}

}  // namespace

void RunAboutBox(HINSTANCE instance, HWND owner, const std::wstring& program_dir) {
  AboutBox box(instance, program_dir);
  box.Run(owner);
}

}  // namespace petariko
