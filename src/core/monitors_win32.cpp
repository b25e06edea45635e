#include "core/monitors_win32.h"

#include <windows.h>
#include <shellscalingapi.h>

namespace petariko {

std::vector<Rect> DisplayMonitors() {
  std::vector<Rect> monitors;
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR monitor, HDC, LPRECT, LPARAM list) -> BOOL {
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        if (!GetMonitorInfoW(monitor, &info)) return TRUE;
        auto& out = *reinterpret_cast<std::vector<Rect>*>(list);
        const Rect r{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
        if (info.dwFlags & MONITORINFOF_PRIMARY) {
          out.insert(out.begin(), r);
        } else {
          out.push_back(r);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&monitors));
  if (monitors.empty()) {
    // Never seen, but the callers need one monitor: the primary by its metrics.
    monitors.push_back({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  }
  return monitors;
}

int MonitorDpi(Point screen) {
  UINT dpi_x = USER_DEFAULT_SCREEN_DPI;
  UINT dpi_y = USER_DEFAULT_SCREEN_DPI;
  if (FAILED(GetDpiForMonitor(MonitorFromPoint({screen.x, screen.y}, MONITOR_DEFAULTTONEAREST), MDT_EFFECTIVE_DPI,
                              &dpi_x, &dpi_y))) {
    return USER_DEFAULT_SCREEN_DPI;
  }
  return static_cast<int>(dpi_y);
}

}  // namespace petariko
