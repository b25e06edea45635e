#include "app/app_win32.h"

#include <utility>

#include "about/about_box_win32.h"
#include "app/canvas_window_win32.h"
#include "core/gesture.h"
#include "core/settings_file.h"
#include "core/settings_file_win32.h"
#include "core/trace.h"
#include "core/ui_strings.h"
#include "cutout/clipboard_win32.h"
#include "cutout/cutout.h"
#include "cutout/cutout_win32.h"
#include "launcher/launcher_win32.h"
#include "res/resource.h"
#include "settings/settings_screen_win32.h"
#include "win32/dialog_kit_win32.h"
#include "win32/message_box_win32.h"
#include "win32/message_filter_win32.h"
#include "win32/window_proc_win32.h"

namespace petariko {

namespace {

constexpr wchar_t kHostClass[] = L"PetarikoHost";
constexpr UINT_PTR kWatcherTimer = 1;
constexpr UINT kWatcherIntervalMs = 100;
constexpr UINT_PTR kTrayRetryTimer = 2;

}  // namespace

bool DesktopInput::IsOverOwnWindow(Point screen) {
  const HWND under = WindowFromPoint({screen.x, screen.y});
  DWORD process = 0;
  return under && GetWindowThreadProcessId(under, &process) != 0 && process == GetCurrentProcessId();
}

bool DesktopInput::IsMenuOpen() {
  // The menu's loop runs on this thread, which the watcher's timer ticks on.
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  return GetGUIThreadInfo(GetCurrentThreadId(), &info) && (info.flags & GUI_INMENUMODE) != 0;
}

// Form1's visible roles and what hangs off them, built after the host window exists.
struct App::Parts {
  explicit Parts(App& app)
      : messages(app.host_.get()),
        canvas(app.instance_, app.escape_),
        launcher([this] { canvas.Hide(); }, messages),
        gesture(app.settings_, canvas.Marks(), launcher),
        trace(outline, app.shared_, canvas, gesture, messages),
        dialog(app.host_.get()),
        clipboard(app.host_.get()),
        cutout(outline, app.shared_, canvas, dialog, canvas, writer, clipboard, messages) {
    canvas.AttachCutout(&cutout);
    cutout.SetMenuOpener([&app] { app.ShowPopupMenu(); });
  }

  OutlineStore outline;  // ptOutline / intLastPoint, shared by the trace and the cut-out
  MessageBoxMessages messages;
  CanvasWindow canvas;  // the frozen screen while tracing, then the cut-out window
  ShellProgramLauncher launcher;
  GestureRecognizer gesture;
  Trace trace;
  Win32SaveDialog dialog;
  Win32FileWriter writer;
  Win32CutoutClipboard clipboard;
  Cutout cutout;
};

App::App(HINSTANCE instance, std::wstring program_dir, SettingsStore settings)
    : instance_(instance), program_dir_(std::move(program_dir)), settings_(std::move(settings)) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = MemberWindowProc<App, &App::host_hwnd_, &App::HandleHostMessage>;
  wc.hInstance = instance_;
  wc.lpszClassName = kHostClass;
  wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_PETARIKO));
  Check(RegisterClassExW(&wc), "RegisterClassExW");
  // Never shown; a tool window so that it has no task-bar button.
  host_.reset(
      Check(CreateWindowExW(WS_EX_TOOLWINDOW, kHostClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance_, this),
            "CreateWindowExW"));
  taskbar_created_message_ = RegisterWindowMessageW(L"TaskbarCreated");
  AcceptFromLowerIntegrity(host_.get(), {taskbar_created_message_, kTrayCallbackMessage});

  tray_image_ = LoadTrayImage();

  menu_bar_.reset(Check(CreateMenu(), "CreateMenu"));
  pmenu_ = Check(CreatePopupMenu(), "CreatePopupMenu");
  AppendMenuW(pmenu_, MF_STRING, kMenuOption, ui::kMenuOption);
  AppendMenuW(pmenu_, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(pmenu_, MF_STRING, kMenuSave, ui::kMenuSave);
  AppendMenuW(pmenu_, MF_STRING, kMenuDelete, ui::kMenuDelete);
  AppendMenuW(pmenu_, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(pmenu_, MF_STRING, kMenuEnd, ui::kMenuEnd);
  AppendMenuW(menu_bar_.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(pmenu_), L"PMENU");

  parts_ = std::make_unique<Parts>(*this);
  SetTrapScreen({parts_->canvas.hwnd(), host_hwnd_, kTrayIconId});
  watcher_ = std::make_unique<Watcher>(settings_, shared_, input_, parts_->trace);
}

App::~App() {
  // The trap outlives the application: it must not reach for windows that are gone.
  SetTrapScreen({});
  tray_.DeleteTrayIcon();
}

void App::Start(bool first_start) {
  const bool added = tray_.AddTrayIcon(host_.get(), tray_image_.get(), ui::kProductName);
  // The program has no window, and a new icon may land in the overflow: the first start tells
  // the user where it is (with the retried add, if this one was refused).
  if (first_start) tray_.Notify(ui::kFirstStartTitle, ui::kFirstStartText);
  ScheduleTrayRetry(added);
  Check(SetTimer(host_.get(), kWatcherTimer, kWatcherIntervalMs, nullptr), "SetTimer");
}

UniqueIcon App::LoadTrayImage() const {
  // The small-icon size for the DPI the task bar is drawn at, picked from the icon's images.
  const int size = GetSystemMetricsForDpi(SM_CXSMICON, GetDpiForWindow(host_hwnd_));
  return UniqueIcon(static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_TRAY), IMAGE_ICON, size, size, 0)));
}

void App::ReloadTrayImage() {
  UniqueIcon fresh = LoadTrayImage();
  if (!fresh) return;
  // The tray holds the new image before the old one is freed.
  tray_.SetImage(fresh.get());
  tray_image_ = std::move(fresh);
}

void App::ScheduleTrayRetry(bool added) {
  const int delay = tray_retry_.AfterAttempt(added);
  if (delay > 0) {
    SetTimer(host_hwnd_, kTrayRetryTimer, static_cast<UINT>(delay), nullptr);
  } else {
    KillTimer(host_hwnd_, kTrayRetryTimer);
  }
}

bool App::WriteSettingsFile(HWND owner) {
  return WriteSettingsFileOrTell(owner, SettingsFilePath(program_dir_), settings_);
}

void App::PutBackCutout() {
  if (shared_.blnCutShown) parts_->cutout.PutBack();
}

void App::RunAboutBox(HWND owner) { petariko::RunAboutBox(instance_, owner, program_dir_); }

void App::ShowPopupMenu() {
  POINT at{};
  GetCursorPos(&at);
  // The menu closes properly when the user clicks elsewhere only if its owner is foreground.
  SetForegroundWindow(host_.get());
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenu(pmenu_, TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, host_.get(), nullptr));
  // The menu's loop may have run the program's end (a close request, the session ending).
  if (!host_) return;
  PostMessageW(host_.get(), WM_NULL, 0, 0);
  // The keys go back to a shown cut-out, not to the hidden host that owned the menu.
  if (shared_.blnCutShown && IsWindowVisible(parts_->canvas.hwnd())) SetForegroundWindow(parts_->canvas.hwnd());
  if (chosen != 0) OnMenuCommand(chosen);
}

LRESULT App::HandleHostMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_TIMER:
      if (wparam == kWatcherTimer) OnTick();
      if (wparam == kTrayRetryTimer) ScheduleTrayRetry(tray_.Readd());
      return 0;
    case kTrayCallbackMessage: OnTrayNotify(LOWORD(lparam)); return 0;
    case WM_DPICHANGED: ReloadTrayImage(); return 0;
    // The host owns the copy on the clipboard.
    case WM_RENDERFORMAT:
      if (parts_ && wparam == CF_BITMAP) parts_->clipboard.RenderBitmap();
      return 0;
    case WM_RENDERALLFORMATS:
      if (parts_) parts_->clipboard.RenderBeforeLeaving();
      return 0;
    case WM_DESTROYCLIPBOARD:
      if (parts_) parts_->clipboard.Forget();
      return 0;
    case WM_SYSCOMMAND:
      // Alt+F4 while the hidden host is the active window (after its menu) is not the user
      // asking to quit: only the menu's question ends the program.
      if ((wparam & 0xFFF0) == SC_CLOSE) return 0;
      return DefWindowProcW(host_hwnd_, message, wparam, lparam);
    case WM_CLOSE:
      // Only the program's own end closes the host: a close request ends it cleanly.
      EndProgram();
      return 0;
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION:
      // The process may be ended as soon as this returns: leave no icon behind.
      if (wparam) EndProgram();
      return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default:
      if (message == taskbar_created_message_ && message != 0) {
        // A new task bar (after the shell restarted) at a DPI of its own.
        ReloadTrayImage();
        tray_retry_.Restart();
        ScheduleTrayRetry(tray_.Readd());
        return 0;
      }
      return DefWindowProcW(host_hwnd_, message, wparam, lparam);
  }
}

void App::OnTick() {
  // A launch runs inside a tick, in the middle of the watcher's release, and its path probes run
  // the program's messages while they wait: a tick that comes meanwhile must leave the watcher as
  // it is. The menu stays open to the user, as it does while a box of the launch is up.
  if (parts_->launcher.Launching()) return;
  RaiseOrderedFailure();
  watcher_->Tick();
}

void App::OnTrayNotify(UINT mouse_message) {
  // While a window of the program is up, a press on the icon opens no menu but leads back to it.
  if (shared_.blnBusy && (mouse_message == WM_LBUTTONDOWN || mouse_message == WM_RBUTTONDOWN) &&
      !BringSettingsScreenForward()) {
    dialog::BringForward(host_hwnd_);
  }
  parts_->cutout.OnTrayNotify(static_cast<int>(mouse_message));
}

void App::OnMenuCommand(UINT id) {
  switch (id) {
    case kMenuOption: OnMenuOption(); break;
    case kMenuSave: parts_->cutout.SaveFromMenu(); break;
    case kMenuDelete: parts_->cutout.EraseFromMenu(); break;
    case kMenuEnd: OnMenuEnd(); break;
    default: break;
  }
}

void App::OnMenuOption() {
  if (shared_.blnCutShown) parts_->cutout.HideForLater();
  // A second settings screen is never opened; the open one closes through OK or Cancel.
  if (shared_.blnBusy) return;
  shared_.blnBusy = true;
  try {
    OpenSettingsScreen(instance_, *this);
  } catch (const ActionFailed&) {
    // No screen could be made: nothing is left waiting for it.
    shared_.blnBusy = false;
    PutBackCutout();
  }
}

void App::OnMenuEnd() {
  // The question is asked once: the menu can be opened again while it is up.
  if (asking_to_quit_) return;
  if (shared_.blnCutShown) parts_->cutout.HideForLater();
  asking_to_quit_ = true;
  const bool yes = ShowMessageBox(host_hwnd_, ui::kQuitQuestion, ui::kTitleConfirm, MB_YESNO) == IDYES;
  asking_to_quit_ = false;
  if (!host_) return;  // ended while the question was up
  if (yes) {
    EndProgram();
    return;
  }
  PutBackCutout();
}

void App::EndProgram() {
  if (!host_) return;  // already ending
  parts_->canvas.ResetShape();
  tray_.DeleteTrayIcon();
  KillTimer(host_hwnd_, kWatcherTimer);
  KillTimer(host_hwnd_, kTrayRetryTimer);
  DestroyWindow(host_.release());
}

}  // namespace petariko
