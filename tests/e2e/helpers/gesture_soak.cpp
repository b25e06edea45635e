// Runs many gesture traces through the program's real frozen-screen window, recognizer and
// launcher, and reports the process's GDI and USER object counts before and after, so that a
// leak of one object per trace shows up as a difference.
//
//   gesture_soak.exe OUTFILE RECORDER_EXE [TRACES]
//
// The registered entries are the awkward ones a hand-edited file can hold: an empty gesture, a
// 40,000-character path, six equal arrows (all bound to RECORDER_EXE, which must never start),
// and a path that cannot start. OUTFILE receives one JSON object.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/canvas_window_win32.h"
#include "core/gesture.h"
#include "core/trace.h"
#include "helper_kit.h"
#include "launcher/launcher_win32.h"

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

class CountingLauncher : public petariko::ProgramLauncher {
 public:
  explicit CountingLauncher(petariko::ProgramLauncher& real) : real_(real) {}
  int launches = 0;
  void Launch(const std::wstring& command_line) override {
    ++launches;
    real_.Launch(command_line);
  }

 private:
  petariko::ProgramLauncher& real_;
};

struct Move {
  int dx;
  int dy;
};

// The strokes of one trace, by kind; kinds rotate so every path runs many times.
std::vector<Move> TraceMoves(int kind) {
  const Move up{0, -40}, down{0, 40}, left{-40, 0}, right{40, 0};
  switch (kind % 5) {
    case 0: return {up};                                                   // the 40,000-character path
    case 1: return {up, right};                                            // a path that cannot start
    case 2: return {up, right, down, left, up, right};                     // scrolled, no match
    case 3: return {up, {0, -5}, {30, -30}, up, up, up};                   // a single arrow: equal ones merge
    default: return std::vector<Move>(101, Move{(kind & 1) ? 3 : -3, 1});  // too long
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // The program runs its launches in one single-threaded apartment; so does this helper.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  if (argc < 3) return 2;
  const std::wstring recorder = argv[2];
  const int traces = argc > 3 ? _wtoi(argv[3]) : 1000;

  petariko::SettingsStore settings;
  settings.strGesture[0] = L"";
  settings.strProgram[0] = recorder + L" empty-gesture";
  settings.strGesture[1] = L"↑";
  settings.strProgram[1] = recorder + L" " + std::wstring(40000 - recorder.size() - 1, L'z');
  settings.strGesture[2] = L"↑→";
  settings.strProgram[2] = L"Z:\\no such folder\\nothing.exe";
  settings.strGesture[3] = L"↑↑↑↑↑↑";
  settings.strProgram[3] = recorder + L" six-equal";

  petariko::SharedState shared;
  petariko::OutlineStore outline;
  CountingMessages messages;
  CountingMessages launch_failures;
  petariko::EscapeKey escape;
  petariko::CanvasWindow canvas(GetModuleHandleW(nullptr), escape);
  petariko::ShellProgramLauncher shell([&canvas] { canvas.Hide(); }, launch_failures);
  CountingLauncher launcher(shell);
  petariko::GestureRecognizer gesture(settings, canvas.Marks(), launcher);
  petariko::Trace trace(outline, shared, canvas, gesture, messages);

  auto run = [&](int kind) {
    Point cursor{500, 400};
    trace.Start(petariko::TraceMode::kGesture, cursor);
    PumpMessages();
    bool abandoned = false;
    for (const Move& move : TraceMoves(kind)) {
      cursor = {cursor.x + move.dx, cursor.y + move.dy};
      if (trace.Step(petariko::TraceMode::kGesture, cursor) == petariko::StepOutcome::kTooLong) {
        trace.ReportTooLong();
        abandoned = true;
        break;
      }
    }
    PumpMessages();
    if (!abandoned) trace.FinishGesture();
    PumpMessages();
  };

  // Warm-up: first use creates caches (fonts, DCs) that stay for the whole run.
  for (int kind = 0; kind < 10; ++kind) run(kind);
  const int gdi_before = GdiObjects();
  const int user_before = UserObjects();
  const int launches_before = launcher.launches;
  const int too_long_before = messages.shown;
  const int failures_before = launch_failures.shown;
  const DWORD started = GetTickCount();
  for (int i = 0; i < traces; ++i) run(i);
  const DWORD elapsed = GetTickCount() - started;
  const int gdi_after = GdiObjects();
  const int user_after = UserObjects();

  std::FILE* out = _wfopen(argv[1], L"wb");
  if (!out) return 1;
  std::fprintf(
      out,
      "{\"traces\": %d, \"gdi_before\": %d, \"gdi_after\": %d, \"user_before\": %d, "
      "\"user_after\": %d, \"launches\": %d, \"failed_launches\": %d, \"too_long\": %d, \"elapsed_ms\": %lu}\n",
      traces, gdi_before, gdi_after, user_before, user_after, launcher.launches - launches_before,
      launch_failures.shown - failures_before, messages.shown - too_long_before, elapsed);
  std::fclose(out);
  return 0;
}
