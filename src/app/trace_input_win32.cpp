#include "app/trace_input_win32.h"

#include "win32/cursor_win32.h"

namespace petariko {
namespace {

// Under Wine's X11 side the window under a press keeps every move and the release until the
// release (the X server's grab), whether its program asked for the capture or not.
bool RunsUnderWine() {
  static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  return wine;
}

bool HoldsTheMouse(DWORD thread) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  return GetGUIThreadInfo(thread, &info) && info.hwndCapture != nullptr;
}

}  // namespace

void EscapeKey::Listen(HWND window) {
  heard_ = false;
  if (window_ == nullptr && RegisterHotKey(window, kHotKeyId, MOD_NOREPEAT, VK_ESCAPE)) window_ = window;
}

void EscapeKey::Stop() {
  if (window_ != nullptr) UnregisterHotKey(std::exchange(window_, nullptr), kHotKeyId);
}

HWND WindowUnderCursor() {
  const Point cursor = CursorPosition();
  return WindowFromPoint({cursor.x, cursor.y});
}

void TraceCapture::Take(HWND screen, HWND pressed) {
  // Nothing that can fail lies between the sharing and the capture that ends it.
  ShareInputWith(pressed);
  SetCapture(screen);
}

void TraceCapture::ShareInputWith(HWND beneath) {
  const DWORD thread = beneath ? GetWindowThreadProcessId(beneath, nullptr) : 0;
  if (thread == 0 || thread == GetCurrentThreadId() || shared_thread_ != 0) return;
  // A program that no longer answers would hold our input with its own: it keeps the trace's
  // moves instead, which the watcher reads from the cursor anyway.
  if (IsHungAppWindow(beneath)) return;
  // On Windows a thread that does not hold the capture lets the moves go to the window under the
  // cursor, the frozen screen; sharing with it would only tie our input to its queue.
  if (!RunsUnderWine() && !HoldsTheMouse(thread)) return;
  // Refused for an elevated program's window: that program then keeps the moves and the release.
  if (AttachThreadInput(GetCurrentThreadId(), thread, TRUE)) shared_thread_ = thread;
}

void TraceCapture::End(HWND screen) {
  if (GetCapture() != screen) {
    Unshare();
    return;
  }
  for (const int button : {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON}) {
    if (GetAsyncKeyState(button) & 0x8000) return;
  }
  ReleaseCapture();  // its WM_CAPTURECHANGED unshares
}

void TraceCapture::Unshare() {
  if (shared_thread_ != 0) AttachThreadInput(GetCurrentThreadId(), std::exchange(shared_thread_, 0), FALSE);
}

}  // namespace petariko
