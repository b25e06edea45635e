// Runs many cut-outs through the program's real canvas, trace and cut-out code: freeze, trace,
// finish, drag, zoom, an occasional save, erase by double-click. Reports the process's GDI and USER
// object counts after the first cycle (which makes the frozen-screen bitmap that lives on) and
// after the last, so that a leak of one object per cycle shows up as a difference.
//
//   cutout_soak.exe OUTFILE SAVE_DIR [CYCLES]
//
// OUTFILE receives one JSON object.
#include <windows.h>
#include <imm.h>

#include <cstdio>
#include <optional>
#include <string>

#include "app/canvas_window_win32.h"
#include "core/trace.h"
#include "cutout/clipboard_win32.h"
#include "cutout/cutout.h"
#include "cutout/cutout_win32.h"
#include "helper_kit.h"

namespace {

using helper_kit::GdiObjects;
using helper_kit::PumpMessages;
using helper_kit::UserObjects;
using petariko::Point;

class CountingMessages : public petariko::UserMessages {
 public:
  int shown = 0;
  void Show(const std::wstring&, const std::wstring&) override { ++shown; }
};

class NoGesture : public petariko::GestureHooks {
 public:
  void OnPointStored(Point, Point) override {}
  void Reset() override {}
  void Finish() override {}
};

class FixedPathDialog : public petariko::SavePathDialog {
 public:
  std::wstring path;
  std::optional<std::wstring> Ask(const std::wstring&) override { return path; }
};

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

// Rows read across the edges of the piece a cut-out keeps: black off it, the screen's pixels on it.
bool EdgeRowsRead(petariko::CanvasWindow& canvas, const RECT& piece) {
  HDC screen = GetDC(nullptr);
  bool ok = true;
  for (const POINT start : {POINT{piece.left - 5, piece.top + 7}, POINT{piece.right - 6, piece.top + 9},
                            POINT{piece.left - 3, piece.top - 1}, POINT{piece.left + 2, piece.bottom},
                            POINT{piece.right + 1, piece.top + 3}}) {
    std::uint8_t row[3 * 13];
    canvas.ReadRow(start.x, start.y, 13, row);
    for (int i = 0; i < 13; ++i) {
      const int x = start.x + i;
      const bool on = x >= piece.left && x < piece.right && start.y >= piece.top && start.y < piece.bottom;
      const COLORREF want = on ? GetPixel(screen, x, start.y) : RGB(0, 0, 0);
      ok =
          ok && row[3 * i] == GetBValue(want) && row[3 * i + 1] == GetGValue(want) && row[3 * i + 2] == GetRValue(want);
    }
  }
  ReleaseDC(nullptr, screen);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  SetProcessDPIAware();
  const std::wstring save_dir = argv[2];
  const int cycles = argc > 3 ? _wtoi(argv[3]) : 200;

  petariko::OutlineStore outline;
  petariko::SharedState shared;
  CountingMessages messages;
  NoGesture gesture;
  petariko::EscapeKey escape;
  petariko::CanvasWindow canvas(GetModuleHandleW(nullptr), escape);
  petariko::Trace trace(outline, shared, canvas, gesture, messages);
  FixedPathDialog dialog;
  petariko::Win32FileWriter writer;
  petariko::Win32CutoutClipboard clipboard(canvas.hwnd());
  petariko::Cutout cutout(outline, shared, canvas, dialog, canvas, writer, clipboard, messages);
  canvas.AttachCutout(&cutout);
  int menus = 0;
  cutout.SetMenuOpener([&menus] { ++menus; });

  int gdi_before = 0, user_before = 0, saves = 0, erased = 0;
  bool edge_rows_ok = false;
  const HWND hwnd = canvas.hwnd();
  // The keys of the frozen screen and the cut-out never go to an IME.
  const bool ime_off = ImmGetContext(hwnd) == nullptr;
  for (int cycle = 0; cycle < cycles; ++cycle) {
    const int x = 100 + cycle % 50;
    trace.Start(petariko::TraceMode::kCutout, {x, 120});
    for (const Point p : {Point{x + 300, 130}, Point{x + 320, 400}, Point{x + 20, 380}}) {
      trace.Step(petariko::TraceMode::kCutout, p);
    }
    trace.FinishCutout();
    PumpMessages();
    // The desktop does not change during the soak, so the live screen is the frozen one.
    if (cycle == 0) edge_rows_ok = EdgeRowsRead(canvas, {x, 120, x + 320, 400});

    // A drag by real window messages, a right press for the menu, and a double-click.
    SetCursorPos(x + 200, 300);
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(x + 190, 290));
    SetCursorPos(x + 230, 320);
    SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, At(x + 220, 310));
    SendMessageW(hwnd, WM_LBUTTONUP, 0, At(x + 220, 310));
    // A notch up and two down: every zoom replaces the window's shape.
    SendMessageW(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), At(x + 230, 320));
    SendMessageW(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-2 * WHEEL_DELTA)), At(x + 230, 320));
    SendMessageW(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, At(x + 190, 290));
    SendMessageW(hwnd, WM_RBUTTONUP, 0, At(x + 190, 290));
    if (cycle % 20 == 0) {
      dialog.path = save_dir + L"\\soak" + std::to_wstring(cycle) + L".bmp";
      cutout.SaveFromMenu();
      ++saves;
    }
    SendMessageW(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, At(x + 190, 290));
    SendMessageW(hwnd, WM_LBUTTONUP, 0, At(x + 190, 290));
    if (!shared.blnCutShown && !IsWindowVisible(hwnd)) ++erased;
    PumpMessages();
    if (cycle == 0) {
      gdi_before = GdiObjects();
      user_before = UserObjects();
    }
  }
  const int gdi_after = GdiObjects();
  const int user_after = UserObjects();

  FILE* out = _wfopen(argv[1], L"wb");
  if (!out) return 1;
  std::fprintf(out,
               "{\"cycles\":%d,\"erased\":%d,\"saves\":%d,\"messages\":%d,\"menus\":%d,\"gdi_before\":%d,"
               "\"gdi_after\":%d,\"user_before\":%d,\"user_after\":%d,\"system_counts\":%s,\"edge_rows_ok\":%s,"
               "\"ime_off\":%s}\n",
               cycles, erased, saves, messages.shown, menus, gdi_before, gdi_after, user_before, user_after,
               helper_kit::SystemCountsObjects() ? "true" : "false", edge_rows_ok ? "true" : "false",
               ime_off ? "true" : "false");
  std::fclose(out);
  return 0;
}
