// Lists the desktop's windows for the end-to-end tests, as one JSON object per line in UTF-8:
// top-level windows with their class, title, rectangle, styles, shape and keyboard focus, and
// their child controls with text and state, so that tests can check what a user would see by name.
//
//   probe.exe OUTFILE
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "helper_kit.h"

namespace {

using helper_kit::Json;

std::wstring Text(HWND hwnd) {
  wchar_t buffer[4096] = {};
  DWORD_PTR result = 0;
  // A hung window must not hang the probe.
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, &result);
  return buffer;
}

std::wstring ClassName(HWND hwnd) {
  wchar_t buffer[256] = {};
  GetClassNameW(hwnd, buffer, 256);
  return buffer;
}

std::string Describe(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  const LONG ex_style = GetWindowLongW(hwnd, GWL_EXSTYLE);
  char buffer[512];
  std::snprintf(buffer, sizeof(buffer),
                "\"hwnd\":%llu,\"pid\":%lu,\"id\":%ld,\"left\":%ld,\"top\":%ld,\"right\":%ld,\"bottom\":%ld,"
                "\"visible\":%s,\"enabled\":%s,\"style\":%ld,\"exstyle\":%ld,\"topmost\":%s",
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)), pid,
                static_cast<long>(GetDlgCtrlID(hwnd)), r.left, r.top, r.right, r.bottom,
                IsWindowVisible(hwnd) ? "true" : "false", IsWindowEnabled(hwnd) ? "true" : "false", style, ex_style,
                (ex_style & WS_EX_TOPMOST) ? "true" : "false");
  std::string out = "\"class\":" + Json(ClassName(hwnd)) + ",\"text\":" + Json(Text(hwnd)) + "," + buffer;
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  if (GetWindowRgn(hwnd, region) != ERROR) {
    RECT box{};
    GetRgnBox(region, &box);
    std::snprintf(buffer, sizeof(buffer), ",\"region\":[%ld,%ld,%ld,%ld]", box.left, box.top, box.right, box.bottom);
    out += buffer;
  }
  DeleteObject(region);
  const std::wstring cls = ClassName(hwnd);
  if (cls == L"Button") {
    const LRESULT check = SendMessageW(hwnd, BM_GETCHECK, 0, 0);
    out += ",\"checked\":" + std::to_string(static_cast<long long>(check));
  } else if (cls == L"Static" && (GetWindowLongW(hwnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
    out += std::string(",\"has_icon\":") + (SendMessageW(hwnd, STM_GETICON, 0, 0) ? "true" : "false");
  } else if (cls == L"msctls_trackbar32") {
    out += ",\"position\":" + std::to_string(static_cast<long long>(SendMessageW(hwnd, TBM_GETPOS, 0, 0)));
  } else if (cls == L"SysListView32") {
    out += ",\"items\":" + std::to_string(static_cast<long long>(SendMessageW(hwnd, LVM_GETITEMCOUNT, 0, 0)));
  }
  return out;
}

struct Output {
  FILE* file;
};

BOOL CALLBACK EachChild(HWND child, LPARAM param) {
  auto* out = reinterpret_cast<Output*>(param);
  const HWND parent = GetAncestor(child, GA_PARENT);
  std::fprintf(out->file, "{\"kind\":\"child\",\"parent\":%llu,\"root\":%llu,%s}\n",
               static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(parent)),
               static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(GetAncestor(child, GA_ROOT))),
               Describe(child).c_str());
  return TRUE;
}

BOOL CALLBACK EachTopLevel(HWND hwnd, LPARAM param) {
  auto* out = reinterpret_cast<Output*>(param);
  const HWND owner = GetWindow(hwnd, GW_OWNER);
  // The control that has the keyboard focus in the window's thread.
  GUITHREADINFO thread{sizeof(GUITHREADINFO)};
  GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &thread);
  std::fprintf(out->file, "{\"kind\":\"top\",\"owner\":%llu,\"focus\":%llu,%s}\n",
               static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(owner)),
               static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(thread.hwndFocus)), Describe(hwnd).c_str());
  EnumChildWindows(hwnd, EachChild, param);
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  FILE* file = _wfopen(argv[1], L"wb");
  if (!file) return 1;
  Output out{file};
  EnumWindows(EachTopLevel, reinterpret_cast<LPARAM>(&out));
  std::fclose(file);
  return 0;
}
