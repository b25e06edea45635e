// Lists the desktop's windows for the end-to-end tests, as one JSON object per line in UTF-8:
// top-level windows with their class, title, rectangle, styles, shape, keyboard focus and foreground, and
// their child controls with text and state, so that tests can check what a user would see by name.
// Top-level windows come in Z order, topmost first.
//
//   probe.exe OUTFILE [PID...]
//   probe.exe --serve
//   probe.exe --clipboard-bitmap OUTFILE
//
// For each PID one more line tells whether that process lives and counts its GDI and USER objects
// (see CountObjects), and a last line which mouse buttons Wine holds down. With --serve it answers each line of PIDs on
// its input with the same lines on its output and a closing {"kind":"end"}, so that a caller that asks often pays for
// the start of a Wine process once.
#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "helper_kit.h"

namespace {

using helper_kit::Json;

// A hung window (one of a program whose error trap waits, say) must not hang the probe.
LRESULT Ask(HWND hwnd, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(hwnd, message, wparam, lparam, SMTO_ABORTIFHUNG, 2000, &result);
  return static_cast<LRESULT>(result);
}

std::wstring Text(HWND hwnd) {
  wchar_t buffer[4096] = {};
  Ask(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer));
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
    const LRESULT check = Ask(hwnd, BM_GETCHECK);
    out += ",\"checked\":" + std::to_string(static_cast<long long>(check));
  } else if (cls == L"Static" && (GetWindowLongW(hwnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
    out += std::string(",\"has_icon\":") + (Ask(hwnd, STM_GETICON) ? "true" : "false");
  } else if (cls == L"msctls_trackbar32") {
    out += ",\"position\":" + std::to_string(static_cast<long long>(Ask(hwnd, TBM_GETPOS)));
  } else if (cls == L"SysListView32") {
    out += ",\"items\":" + std::to_string(static_cast<long long>(Ask(hwnd, LVM_GETITEMCOUNT)));
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
  std::fprintf(out->file, "{\"kind\":\"top\",\"owner\":%llu,\"focus\":%llu,\"foreground\":%s,%s}\n",
               static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(owner)),
               static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(thread.hwndFocus)),
               hwnd == GetForegroundWindow() ? "true" : "false", Describe(hwnd).c_str());
  EnumChildWindows(hwnd, EachChild, param);
  return TRUE;
}

struct WindowCensus {
  DWORD pid;
  int count;
  HWND first;
};

BOOL CALLBACK CountChild(HWND, LPARAM param) {
  ++reinterpret_cast<WindowCensus*>(param)->count;
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM param) {
  auto* census = reinterpret_cast<WindowCensus*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == census->pid) {
    if (!census->first) census->first = hwnd;
    ++census->count;
    EnumChildWindows(hwnd, CountChild, param);  // the whole tree below, grandchildren included
  }
  return TRUE;
}

// GetGuiResources answers 0 under Wine, so the counts are taken the long way: GDI objects are the
// used slots of the process's GDI handle table, which its PEB points to (GdiSharedHandleTable),
// read from here; USER objects are its windows, children included (its menus, icons and cursors
// cannot be seen from another process). Where the system answers, its figures come too.
std::string CountObjects(DWORD pid) {
  char buffer[256];
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  DWORD exit_code = 0;
  if (!process || !GetExitCodeProcess(process, &exit_code) || exit_code != STILL_ACTIVE) {
    if (process) CloseHandle(process);
    std::snprintf(buffer, sizeof(buffer), "{\"kind\":\"process\",\"pid\":%lu,\"alive\":false}\n", pid);
    return buffer;
  }
  long gdi = -1;
  PROCESS_BASIC_INFORMATION basic{};
  ULONG length = 0;
  UINT64 table = 0;
  SIZE_T read = 0;
  // The 64-bit PEB keeps GdiSharedHandleTable at 0xF8.
  if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof(basic), &length) == 0 &&
      ReadProcessMemory(process, reinterpret_cast<const char*>(basic.PebBaseAddress) + 0xF8, &table, sizeof(table),
                        &read) &&
      table != 0) {
    // GDI_HANDLE_ENTRY: 24 bytes, its object type at offset 14 (0 for a free slot).
    constexpr size_t kEntry = 24, kSlots = 0x10000;
    std::string entries(kEntry * kSlots, '\0');
    if (ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(), entries.size(), &read) &&
        read == entries.size()) {
      gdi = 0;
      for (size_t slot = 0; slot < kSlots; ++slot) gdi += entries[slot * kEntry + 14] != 0;
    }
  }
  WindowCensus windows{pid, 0, nullptr};
  EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
  // A program that takes no message for two seconds is hung (or stopped in a debugger).
  DWORD_PTR result = 0;
  const bool responding =
      windows.first && SendMessageTimeoutW(windows.first, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
  std::snprintf(buffer, sizeof(buffer),
                "{\"kind\":\"process\",\"pid\":%lu,\"alive\":true,\"responding\":%s,\"gdi\":%ld,"
                "\"user\":%d,\"gdi_reported\":%lu,\"user_reported\":%lu}\n",
                pid, responding ? "true" : "false", gdi, windows.count, GetGuiResources(process, GR_GDIOBJECTS),
                GetGuiResources(process, GR_USEROBJECTS));
  CloseHandle(process);
  return buffer;
}

void Survey(FILE* file, const std::vector<DWORD>& pids) {
  Output out{file};
  EnumWindows(EachTopLevel, reinterpret_cast<LPARAM>(&out));
  for (const DWORD pid : pids) std::fputs(CountObjects(pid).c_str(), file);
  // Wine keeps the buttons' state for every process; a release it lost shows here.
  std::fprintf(file, "{\"kind\":\"buttons\",\"left\":%s,\"right\":%s,\"middle\":%s}\n",
               GetAsyncKeyState(VK_LBUTTON) < 0 ? "true" : "false", GetAsyncKeyState(VK_RBUTTON) < 0 ? "true" : "false",
               GetAsyncKeyState(VK_MBUTTON) < 0 ? "true" : "false");
}

}  // namespace

// The clipboard's CF_BITMAP as a reader that knows no alpha gets it: its size and the colour of
// its bottom-left pixel.
int WriteClipboardBitmap(const wchar_t* path) {
  if (!OpenClipboard(nullptr)) return 1;
  const auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  BITMAP size{};
  std::vector<DWORD> bottom_row;
  bool read = bitmap && GetObjectW(bitmap, sizeof(size), &size);
  if (read) {
    // Bottom-up: scan line 0 is the bottom row.
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.bmWidth, size.bmHeight, 1, 32, BI_RGB};
    bottom_row.resize(static_cast<std::size_t>(size.bmWidth));
    HDC screen = GetDC(nullptr);
    read = GetDIBits(screen, bitmap, 0, 1, bottom_row.data(), &info, DIB_RGB_COLORS) == 1;
    ReleaseDC(nullptr, screen);
  }
  CloseClipboard();
  FILE* file = _wfopen(path, L"wb");
  if (!file) return 1;
  if (read) {
    std::fprintf(file, "{\"width\":%ld,\"height\":%ld,\"bottom_left\":[%lu,%lu,%lu]}\n", size.bmWidth, size.bmHeight,
                 (bottom_row[0] >> 16) & 0xFF, (bottom_row[0] >> 8) & 0xFF, bottom_row[0] & 0xFF);
  } else {
    std::fputs("{}\n", file);
  }
  std::fclose(file);
  return 0;
}

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  if (argc == 3 && std::wstring(argv[1]) == L"--clipboard-bitmap") return WriteClipboardBitmap(argv[2]);
  if (std::wstring(argv[1]) == L"--serve") {
    _setmode(_fileno(stdout), _O_BINARY);
    char line[1024];
    while (std::fgets(line, sizeof(line), stdin)) {
      std::vector<DWORD> pids;
      for (char* at = line; *at;) {
        char* end = nullptr;
        const unsigned long pid = std::strtoul(at, &end, 10);
        if (end == at) break;
        pids.push_back(static_cast<DWORD>(pid));
        at = end;
      }
      Survey(stdout, pids);
      std::fputs("{\"kind\":\"end\"}\n", stdout);
      std::fflush(stdout);
    }
    return 0;
  }
  FILE* file = _wfopen(argv[1], L"wb");
  if (!file) return 1;
  std::vector<DWORD> pids;
  for (int i = 2; i < argc; ++i) pids.push_back(static_cast<DWORD>(_wtoi(argv[i])));
  Survey(file, pids);
  std::fclose(file);
  return 0;
}
