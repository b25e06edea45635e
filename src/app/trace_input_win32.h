// The input of a trace while the frozen screen is up. The screen never takes the foreground from
// the program under the press: activating it would deactivate that program (closing its open
// menu, committing its IME text, minimising a full-screen game) and, with input shared, wait on
// it when it is busy. So the mouse comes to the screen by its capture and Esc by a hot key.
#pragma once

#include <windows.h>

#include <utility>

namespace petariko {

// Esc during a trace, heard whichever program has the keyboard. If another program holds Esc as
// its own hot key, the key's state at each tick still gives the trace up.
class EscapeKey {
 public:
  EscapeKey() = default;
  EscapeKey(const EscapeKey&) = delete;
  EscapeKey& operator=(const EscapeKey&) = delete;
  ~EscapeKey() { Stop(); }

  void Listen(HWND window);
  void Stop();
  // From the listening window's WM_HOTKEY.
  void Heard() { heard_ = true; }
  // Pressed since the last call, or held now.
  bool TakePress() { return std::exchange(heard_, false) || (GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0; }

  static constexpr int kHotKeyId = 1;

 private:
  HWND window_ = nullptr;
  bool heard_ = false;
};

HWND WindowUnderCursor();

// The mouse for the trace: the frozen screen, over every window, gets the moves and the release
// by its capture. A thread that holds the mouse itself (a button being pressed, a title bar, any
// window under Wine's X11 side) keeps them unless its input is shared with ours for the trace;
// given back with the capture.
class TraceCapture {
 public:
  TraceCapture() = default;
  TraceCapture(const TraceCapture&) = delete;
  TraceCapture& operator=(const TraceCapture&) = delete;
  ~TraceCapture() { Unshare(); }

  // `pressed` is the window that had the press, found before the screen covered it.
  void Take(HWND screen, HWND pressed);
  // Gives the capture back once no button is down; a button still down (a trace ended by the
  // second button or the length limit) keeps it, so that its release comes here too.
  void End(HWND screen);
  // From the screen's WM_CAPTURECHANGED.
  void Unshare();

 private:
  void ShareInputWith(HWND beneath);

  DWORD shared_thread_ = 0;  // 0 when no thread's input is shared
};

}  // namespace petariko
