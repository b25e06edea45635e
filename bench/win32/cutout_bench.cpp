// Times the two heavy moments of a cut-out against floors measured in the same run:
//   freeze: the watcher tick that reaches the hold, up to the frozen desktop (every monitor)
//           painted on the topmost window, against what it must do at least: one raw BitBlt of
//           the same virtual screen into a memory bitmap, and that bitmap shown on a plain
//           topmost window of the same size (also against the raw BitBlt alone);
//   save:   saving a bounding rectangle of the whole desktop, against writing the same number
//           of bytes raw with CreateFile/WriteFile.
//
//   cutout_bench.exe OUTFILE SAVE_DIR [REPEATS]
//
// OUTFILE receives one JSON object of medians in milliseconds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/canvas_window_win32.h"
#include "bench_kit.h"
#include "core/trace.h"
#include "core/watcher.h"
#include "cutout/clipboard_win32.h"
#include "cutout/cutout.h"
#include "cutout/cutout_win32.h"

namespace {

// The floor copies the screen as the freeze does, layered windows included, so that the ratio
// weighs only what the program adds.
constexpr DWORD kScreenCopy = SRCCOPY | CAPTUREBLT;

using petariko::Point;

using bench_kit::Median;
using bench_kit::NowMs;

void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

double TimeOnce(const std::function<void()>& body) {
  const double start = NowMs();
  body();
  return NowMs() - start;
}

class HeldStill : public petariko::InputPort {
 public:
  bool held = true;
  bool IsKeyDown(int key) override { return held && key == petariko::kButtonLeft; }
  Point CursorPos() override { return {400, 300}; }
};

class Silent : public petariko::UserMessages {
 public:
  void Show(const std::wstring&, const std::wstring&) override {}
};

class NoGesture : public petariko::GestureHooks {
 public:
  void OnPointStored(Point, Point) override {}
  void Reset() override {}
  void Finish() override {}
};

class DiscardSink : public petariko::ByteSink {
 public:
  bool Write(std::span<const std::uint8_t>) override { return true; }
};

class FixedPathDialog : public petariko::SavePathDialog {
 public:
  std::wstring path;
  std::optional<std::wstring> Ask(const std::wstring&) override { return path; }
};

// The least a freeze can do to show what it copied: a plain topmost popup over the virtual
// screen that paints its picture with one BitBlt per paint, and nothing else.
class PlainPopup {
 public:
  PlainPopup(HDC picture, int left, int top, int width, int height)
      : left_(left), top_(top), width_(width), height_(height) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassExW(&wc);
    hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClass, L"", WS_POPUP, left, top, width, height, nullptr,
                            nullptr, wc.hInstance, picture);
  }
  ~PlainPopup() {
    DestroyWindow(hwnd_);
    UnregisterClassW(kClass, GetModuleHandleW(nullptr));
  }
  PlainPopup(const PlainPopup&) = delete;
  PlainPopup& operator=(const PlainPopup&) = delete;

  // Shown and painted before it returns, as the freeze shows the frozen desktop.
  void Show() {
    SetWindowPos(hwnd_, HWND_TOPMOST, left_, top_, width_, height_, SWP_SHOWWINDOW);
    UpdateWindow(hwnd_);
  }
  void Hide() { ShowWindow(hwnd_, SW_HIDE); }

 private:
  static constexpr wchar_t kClass[] = L"PetarikoBenchPopup";

  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
      case WM_NCCREATE:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams));
        break;
      case WM_ERASEBKGND: return 1;
      case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(hwnd, &paint);
        const RECT& r = paint.rcPaint;
        BitBlt(paint.hdc, r.left, r.top, r.right - r.left, r.bottom - r.top,
               reinterpret_cast<HDC>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)), r.left, r.top, SRCCOPY);
        EndPaint(hwnd, &paint);
        return 0;
      }
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }

  HWND hwnd_ = nullptr;
  int left_, top_, width_, height_;
};

bool WriteRaw(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  SetProcessDPIAware();
  const std::wstring save_dir = argv[2];
  const int repeats = argc > 3 ? _wtoi(argv[3]) : 15;
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);

  petariko::SettingsStore settings;
  settings.lngCutButton = petariko::kButtonLeft;
  settings.intWaitTime = 2;  // the first held tick begins the hold, the second reaches it
  petariko::OutlineStore outline;
  petariko::SharedState shared;
  Silent messages;
  NoGesture gesture;
  HeldStill input;
  petariko::EscapeKey escape;
  petariko::CanvasWindow canvas(GetModuleHandleW(nullptr), escape);
  petariko::Trace trace(outline, shared, canvas, gesture, messages);
  petariko::Watcher watcher(settings, shared, input, trace);
  FixedPathDialog dialog;
  petariko::Win32FileWriter writer;
  petariko::Win32CutoutClipboard clipboard(canvas.hwnd());
  petariko::Cutout cutout(outline, shared, canvas, dialog, canvas, writer, clipboard, messages);

  // Floors: one raw copy of the virtual screen into a memory bitmap; and that copy followed by a
  // raw show of the bitmap. Floors and subject alternate so that the load of a shared machine
  // weighs on all alike, and each starts from the same plain desktop.
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  std::optional<PlainPopup> popup(std::in_place, memory, left, top, width, height);
  std::vector<double> floor_blits, floor_copy_shows, floor_shows, freezes;
  for (int i = 0; i < repeats; ++i) {
    // Back to idle: hidden, nothing held, count reset.
    if (trace.IsTracing()) trace.FinishGesture();
    input.held = false;
    watcher.Tick();
    PumpMessages();
    floor_blits.push_back(TimeOnce([&] {
      BitBlt(memory, 0, 0, width, height, screen, left, top, kScreenCopy);
      GdiFlush();
    }));
    double copied = 0;
    floor_copy_shows.push_back(TimeOnce([&] {
      BitBlt(memory, 0, 0, width, height, screen, left, top, kScreenCopy);
      GdiFlush();
      copied = NowMs();
      popup->Show();
      GdiFlush();
    }));
    floor_shows.push_back(NowMs() - copied);
    popup->Hide();
    PumpMessages();
    // The hold begins to count (what the freeze needs is made meanwhile, as during the 200 ms
    // and more of a real hold), then the tick that reaches the hold.
    input.held = true;
    watcher.Tick();
    freezes.push_back(TimeOnce([&] {
      watcher.Tick();
      GdiFlush();
    }));
  }
  popup.reset();
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (trace.IsTracing()) trace.FinishGesture();
  PumpMessages();

  // Where the freeze's time goes.
  std::vector<double> covers, captures, shows;
  for (int i = 0; i < repeats; ++i) {
    canvas.Hide();
    PumpMessages();
    canvas.PrepareFreeze();
    covers.push_back(TimeOnce([&] { canvas.CoverScreen(); }));
    captures.push_back(TimeOnce([&] {
      canvas.Freeze();
      GdiFlush();
    }));
    shows.push_back(TimeOnce([&] {
      canvas.Show();
      GdiFlush();
    }));
  }
  canvas.Hide();
  PumpMessages();

  // A cut-out whose bounding rectangle is the whole desktop but its last row and column.
  const int right = left + width - 1;
  const int bottom = top + height - 1;
  trace.Start(petariko::TraceMode::kCutout, {left, bottom});
  for (const Point p : {Point{right, top}, Point{right, bottom}, Point{left + 1, top + 1}}) {
    trace.Step(petariko::TraceMode::kCutout, p);
  }
  trace.FinishCutout();
  PumpMessages();
  const petariko::SaveRect rect = petariko::BoundingRect(outline);
  const std::size_t bytes = petariko::kBmpHeaderSize + petariko::BmpStride(rect.width()) * rect.height();

  // Floor: the same number of bytes, written raw from memory that already holds them.
  const std::wstring raw_path = save_dir + L"\\raw.bin";
  std::vector<std::uint8_t> raw(bytes, 0x5a);
  const std::wstring image_path = save_dir + L"\\image.bmp";
  dialog.path = save_dir + L"\\menu.bmp";
  std::vector<double> floor_writes, save_images, save_replaces, save_menus, encodes;
  for (int i = 0; i < repeats; ++i) {
    floor_writes.push_back(TimeOnce([&] { WriteRaw(raw_path, raw); }));
    // The picture part of the save: bounding rectangle, rows out of the frozen image, file; to a
    // new name, then over the file just written (which waits for the disk, as it must).
    const auto save_image = [&] {
      const petariko::SaveRect r = petariko::BoundingRect(outline);
      writer.WriteFile(image_path, [&](petariko::ByteSink& sink) {
        return petariko::WriteBmp(
            r.width(), r.height(), [&](int y, std::uint8_t* bgr) { canvas.ReadRow(r.left, r.top + y, r.width(), bgr); },
            sink);
      });
    };
    DeleteFileW(image_path.c_str());
    save_images.push_back(TimeOnce(save_image));
    save_replaces.push_back(TimeOnce(save_image));
    // The same picture encoded but not written: what the save adds to the floor's writing.
    encodes.push_back(TimeOnce([&] {
      DiscardSink sink;
      petariko::WriteBmp(
          rect.width(), rect.height(),
          [&](int y, std::uint8_t* bgr) { canvas.ReadRow(rect.left, rect.top + y, rect.width(), bgr); }, sink);
    }));
    // The whole menu command, with the window hidden and put back around it.
    PumpMessages();
    save_menus.push_back(TimeOnce([&] {
      cutout.SaveFromMenu();
      GdiFlush();
    }));
  }

  FILE* out = _wfopen(argv[1], L"wb");
  if (!out) return 1;
  std::fprintf(out,
               "{\"width\":%d,\"height\":%d,\"repeats\":%d,\"floor_blit_ms\":%.3f,\"floor_copy_show_ms\":%.3f,"
               "\"floor_show_ms\":%.3f,\"freeze_ms\":%.3f,"
               "\"cover_ms\":%.3f,\"capture_ms\":%.3f,\"show_ms\":%.3f,\"floor_write_ms\":%.3f,"
               "\"save_image_ms\":%.3f,\"save_replace_ms\":%.3f,\"encode_ms\":%.3f,\"save_menu_ms\":%.3f,"
               "\"bytes\":%zu}\n",
               width, height, repeats, Median(floor_blits), Median(floor_copy_shows), Median(floor_shows),
               Median(freezes), Median(covers), Median(captures), Median(shows), Median(floor_writes),
               Median(save_images), Median(save_replaces), Median(encodes), Median(save_menus), bytes);
  std::fclose(out);
  return 0;
}
