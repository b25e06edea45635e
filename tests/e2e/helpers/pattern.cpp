// Covers the screen (or the given rectangle) with a known pattern for the end-to-end tests: a
// Wine window, so that button presses on it reach the program, and content whose every pixel
// differs from its neighbours', so that a one-pixel shift shows.
//
//   pattern.exe [LEFT TOP WIDTH HEIGHT]
//
// With PATTERN_BUTTONS_FILE set, it notes there (in hexadecimal) each button message it gets, each
// move with a button held and each context-menu request.
//
// Pixel (x, y) in screen coordinates is red x % 256, green y % 256, blue 64 * (x / 256 % 4) +
// 16 * (y / 256 % 4) + 8 (tests/e2e/test_cutout.py computes the same).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Pattern {
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<std::uint32_t> pixels;  // top-down 0x00RRGGBB
};

Pattern g_pattern;
FILE* g_buttons = nullptr;

std::uint32_t PatternAt(int x, int y) {
  const std::uint32_t r = static_cast<std::uint32_t>(x) % 256;
  const std::uint32_t g = static_cast<std::uint32_t>(y) % 256;
  const std::uint32_t b =
      64 * (static_cast<std::uint32_t>(x) / 256 % 4) + 16 * (static_cast<std::uint32_t>(y) / 256 % 4) + 8;
  return (r << 16) | (g << 8) | b;
}

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  const bool held = wparam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON);
  if (g_buttons && ((message >= WM_LBUTTONDOWN && message <= WM_MBUTTONDBLCLK) || message == WM_CONTEXTMENU ||
                    (message == WM_MOUSEMOVE && held))) {
    std::fprintf(g_buttons, "%x\n", message);
    std::fflush(g_buttons);
  }
  switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof(info.bmiHeader);
      info.bmiHeader.biWidth = g_pattern.width;
      info.bmiHeader.biHeight = -g_pattern.height;
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      info.bmiHeader.biCompression = BI_RGB;
      StretchDIBits(dc, 0, 0, g_pattern.width, g_pattern.height, 0, 0, g_pattern.width, g_pattern.height,
                    g_pattern.pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  SetProcessDPIAware();
  g_pattern.width = GetSystemMetrics(SM_CXSCREEN);
  g_pattern.height = GetSystemMetrics(SM_CYSCREEN);
  if (argc >= 5) {
    g_pattern.left = _wtoi(argv[1]);
    g_pattern.top = _wtoi(argv[2]);
    g_pattern.width = _wtoi(argv[3]);
    g_pattern.height = _wtoi(argv[4]);
  }
  g_pattern.pixels.resize(static_cast<std::size_t>(g_pattern.width) * g_pattern.height);
  for (int y = 0; y < g_pattern.height; ++y) {
    for (int x = 0; x < g_pattern.width; ++x) {
      g_pattern.pixels[static_cast<std::size_t>(y) * g_pattern.width + x] =
          PatternAt(g_pattern.left + x, g_pattern.top + y);
    }
  }

  if (const wchar_t* path = _wgetenv(L"PATTERN_BUTTONS_FILE")) g_buttons = _wfopen(path, L"a");

  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = L"PetarikoPattern";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"pattern", WS_POPUP, g_pattern.left, g_pattern.top,
                              g_pattern.width, g_pattern.height, nullptr, nullptr, wc.hInstance, nullptr);
  if (!hwnd) return 1;
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  UpdateWindow(hwnd);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
