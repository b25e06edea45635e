// The end-to-end tests' hands and eyes on the desktop, the same under Wine and on Windows.
//
//   probe.exe --serve
//
// Reads one command per line and answers with JSON records, one per line in UTF-8, and a closing
// {"kind":"end"}, so that a caller that asks often pays for the start of a process once.
// Coordinates are Windows screen coordinates.
//
//   survey [PID...]      the windows, top-level ones in Z order (topmost first) with their class,
//                        title, rectangle, styles, shape, alpha, keyboard focus and foreground, and
//                        their child controls with text and state; for each PID whether it lives
//                        and its GDI and USER objects (see CountObjects); which buttons are down
//   screen               the virtual screen's rectangle
//   move X Y | down B | up B | wheel N      the mouse through SendInput (B: 1 left, 2 middle,
//                        3 right; N notches, away from the user when positive)
//   keys +VK -VK ...     key presses (+) and releases (-) through SendInput
//   type TEXT            the UTF-8 text typed as Unicode characters
//   focus HWND | raise HWND                 the window brought to the foreground, or to the top
//   picture PATH         the virtual screen as packed RGB rows, top row first
//   clipboard FORMAT PATH | clipboard-empty | clipboard-bitmap
//   tray HWND ID         the notification icon's rectangle, where the shell tells it
//   menu HWND            the rectangles of a shown popup menu's items
//   drop X Y PATH...     (PATHs separated by tabs) the files dragged through OLE and dropped there
//   memory PID           the private bytes the system reports for a process
#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <ole2.h>
#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <sstream>
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
  BYTE alpha = 255;
  DWORD layered = 0;
  if ((ex_style & WS_EX_LAYERED) && GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &layered) &&
      (layered & LWA_ALPHA)) {
    out += ",\"alpha\":" + std::to_string(alpha);
  }
  // Under Wine, the X window behind it: a drop there takes Wine's own way in (see the tests' driver).
  if (const HANDLE x_window = GetPropW(hwnd, L"__wine_x11_whole_window")) {
    out += ",\"x11\":" + std::to_string(static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(x_window)));
  }
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

RECT VirtualScreen() {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

void SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0, DWORD data = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi = {dx, dy, data, flags, 0, 0};
  SendInput(1, &input, sizeof(input));
}

// The cursor once it has stayed put for a moment. Under Wine another process can report an
// earlier move late (the X server's motion for it), which puts the cursor back there briefly.
POINT SettledCursor(int x, int y) {
  POINT at{}, before{};
  GetCursorPos(&at);
  for (int wait = 0; wait < 10 && !(at.x == x && at.y == y); ++wait) {
    before = at;
    Sleep(15);
    GetCursorPos(&at);
    if (at.x == before.x && at.y == before.y && wait >= 2) break;
  }
  return at;
}

// Absolute input is in 65536ths of the virtual screen: a miss of a pixel or two is corrected,
// since systems differ in how they round it back to pixels; a larger one is a late report of an
// earlier move, so the same place is asked again.
POINT MoveTo(int x, int y) {
  const RECT screen = VirtualScreen();
  const LONG width = screen.right - screen.left, height = screen.bottom - screen.top;
  LONG nx = ((x - screen.left) * 65536LL + width - 1) / width, ny = ((y - screen.top) * 65536LL + height - 1) / height;
  POINT at{};
  for (int attempt = 0; attempt < 6; ++attempt) {
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK, std::min(std::max(nx, 0L), 65535L),
              std::min(std::max(ny, 0L), 65535L));
    at = SettledCursor(x, y);
    if (at.x == x && at.y == y) break;
    if (std::abs(x - at.x) <= 2 && std::abs(y - at.y) <= 2) {
      nx += (x - at.x) * ((65536 + width - 1) / width);
      ny += (y - at.y) * ((65536 + height - 1) / height);
    }
  }
  return at;
}

void Button(int button, bool down) {
  static const DWORD kFlags[][2] = {{MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN},
                                    {MOUSEEVENTF_MIDDLEUP, MOUSEEVENTF_MIDDLEDOWN},
                                    {MOUSEEVENTF_RIGHTUP, MOUSEEVENTF_RIGHTDOWN}};
  if (button >= 1 && button <= 3) SendMouse(kFlags[button - 1][down ? 1 : 0]);
}

INPUT KeyInput(WORD vk, bool down) {
  static const WORD kExtended[] = {VK_LEFT, VK_UP,   VK_RIGHT,  VK_DOWN,   VK_PRIOR,    VK_NEXT,
                                   VK_END,  VK_HOME, VK_INSERT, VK_DELETE, VK_RCONTROL, VK_RMENU};
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  for (const WORD extended : kExtended) {
    if (vk == extended) input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
  }
  return input;
}

void Type(const std::wstring& text) {
  for (const wchar_t unit : text) {
    INPUT input[2] = {};
    for (int i = 0; i < 2; ++i) {
      input[i].type = INPUT_KEYBOARD;
      input[i].ki.wScan = unit;
      input[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
    }
    SendInput(2, input, sizeof(INPUT));
    Sleep(10);
  }
}

// The foreground lock lets a process take the foreground only from the one that has it: sharing
// the input state of the foreground window's thread for the moment is that permission.
bool Focus(HWND hwnd) {
  const HWND foreground = GetForegroundWindow();
  const DWORD theirs = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0, ours = GetCurrentThreadId();
  const bool attached = theirs && theirs != ours && AttachThreadInput(ours, theirs, TRUE);
  SetForegroundWindow(hwnd);
  if (attached) AttachThreadInput(ours, theirs, FALSE);
  // Keys go to the focus of the window's own thread, which takes the activation a moment later.
  const HWND root = GetAncestor(hwnd, GA_ROOT);
  const DWORD thread = GetWindowThreadProcessId(root, nullptr);
  GUITHREADINFO info{sizeof(info)};
  for (int waited = 0; waited < 1000 && GetForegroundWindow() == root; waited += 10) {
    if (GetGUIThreadInfo(thread, &info) && info.hwndActive == root) break;
    Sleep(10);
  }
  return GetForegroundWindow() == root;
}

// CAPTUREBLT takes layered windows in, as a user sees them.
bool WritePicture(const wchar_t* path) {
  const RECT screen = VirtualScreen();
  const int width = screen.right - screen.left, height = screen.bottom - screen.top;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
  void* bits = nullptr;
  HDC desktop = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(desktop);
  HBITMAP dib = CreateDIBSection(desktop, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool done = false;
  if (dib) {
    const HGDIOBJ old = SelectObject(memory, dib);
    done = BitBlt(memory, 0, 0, width, height, desktop, screen.left, screen.top, SRCCOPY | CAPTUREBLT);
    SelectObject(memory, old);
  }
  FILE* file = done ? _wfopen(path, L"wb") : nullptr;
  if (file) {
    std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
    const auto* pixels = static_cast<const unsigned char*>(bits);
    for (int y = 0; y < height; ++y, pixels += width * 4) {
      for (int x = 0; x < width; ++x) {
        row[x * 3] = pixels[x * 4 + 2];
        row[x * 3 + 1] = pixels[x * 4 + 1];
        row[x * 3 + 2] = pixels[x * 4];
      }
      std::fwrite(row.data(), 1, row.size(), file);
    }
    done = std::fclose(file) == 0;
  }
  if (dib) DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(nullptr, desktop);
  return file && done;
}

// Another program may hold the clipboard for a moment.
bool OpenClipboardSoon() {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (OpenClipboard(nullptr)) return true;
    Sleep(20);
  }
  return false;
}

// The bytes of a clipboard format held in global memory, or -1 when there are none.
long long WriteClipboard(const std::wstring& format_name, const wchar_t* path) {
  const UINT format = iswdigit(format_name[0]) ? static_cast<UINT>(std::wcstoul(format_name.c_str(), nullptr, 10))
                                               : RegisterClipboardFormatW(format_name.c_str());
  if (!OpenClipboardSoon()) return -1;
  long long size = -1;
  const HANDLE data = GetClipboardData(format);
  const void* bytes = data ? GlobalLock(data) : nullptr;
  if (bytes) {
    size = static_cast<long long>(GlobalSize(data));
    FILE* file = _wfopen(path, L"wb");
    if (!file || std::fwrite(bytes, 1, static_cast<size_t>(size), file) != static_cast<size_t>(size)) size = -1;
    if (file) std::fclose(file);
    GlobalUnlock(data);
  }
  CloseClipboard();
  return size;
}

bool EmptyTheClipboard() {
  if (!OpenClipboardSoon()) return false;
  const bool emptied = EmptyClipboard();
  CloseClipboard();
  return emptied;
}

// The clipboard's CF_BITMAP as a reader that knows no alpha gets it: its size and the colour of
// its bottom-left pixel.
std::string ClipboardBitmap() {
  if (!OpenClipboardSoon()) return "{\"kind\":\"bitmap\"}";
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
  if (!read) return "{\"kind\":\"bitmap\"}";
  char buffer[160];
  std::snprintf(buffer, sizeof(buffer),
                "{\"kind\":\"bitmap\",\"width\":%ld,\"height\":%ld,\"bottom_left\":[%lu,%lu,%lu]}", size.bmWidth,
                size.bmHeight, (bottom_row[0] >> 16) & 0xFF, (bottom_row[0] >> 8) & 0xFF, bottom_row[0] & 0xFF);
  return buffer;
}

std::string Rect(const char* kind, const RECT& r, const char* more = "") {
  char buffer[200];
  std::snprintf(buffer, sizeof(buffer), "{\"kind\":\"%s\",\"left\":%ld,\"top\":%ld,\"right\":%ld,\"bottom\":%ld%s}",
                kind, r.left, r.top, r.right, r.bottom, more);
  return buffer;
}

void MenuRows(FILE* out, HWND window) {
  const auto menu = reinterpret_cast<HMENU>(Ask(window, MN_GETHMENU));
  const int count = menu ? GetMenuItemCount(menu) : -1;
  for (int item = 0; item < count; ++item) {
    RECT r{};
    MENUITEMINFOW info{sizeof(info), MIIM_FTYPE};
    if (!GetMenuItemRect(nullptr, menu, static_cast<UINT>(item), &r) ||
        !GetMenuItemInfoW(menu, static_cast<UINT>(item), TRUE, &info)) {
      continue;
    }
    std::fprintf(out, "%s\n", Rect("row", r, (info.fType & MFT_SEPARATOR) ? ",\"separator\":true" : "").c_str());
  }
}

// --- a drop of files through OLE, as a file manager's drag makes it --------------------------

class FileData : public IDataObject {
 public:
  explicit FileData(const std::vector<std::wstring>& paths) {
    std::wstring list;
    for (const auto& path : paths) list += path + L'\0';
    list += L'\0';
    DROPFILES header{sizeof(DROPFILES), {0, 0}, FALSE, TRUE};
    bytes_.resize(sizeof(header) + list.size() * sizeof(wchar_t));
    std::memcpy(bytes_.data(), &header, sizeof(header));
    std::memcpy(bytes_.data() + sizeof(header), list.data(), list.size() * sizeof(wchar_t));
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = (iid == IID_IUnknown || iid == IID_IDataObject) ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, bytes_.size());
    if (!copy) return E_OUTOFMEMORY;
    std::memcpy(GlobalLock(copy), bytes_.data(), bytes_.size());
    GlobalUnlock(copy);
    *medium = {};
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = copy;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return direction == DATADIR_GET ? SHCreateStdEnumFmtEtc(1, &format, out) : E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  std::vector<char> bytes_;
};

// Lets the drag linger over the target for a few of the loop's checks, then drops.
class DropSoon : public IDropSource {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = (iid == IID_IUnknown || iid == IID_IDropSource) ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD) override {
    if (escape) return DRAGDROP_S_CANCEL;
    return ++checks_ >= 8 ? DRAGDROP_S_DROP : S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  int checks_ = 0;
};

struct Wiggle {
  POINT at;
  volatile LONG done;
};

// The drag loop checks on input: a pixel's wiggle every 50 ms keeps it checking.
DWORD WINAPI WiggleWhileDragging(void* param) {
  auto* wiggle = static_cast<Wiggle*>(param);
  for (int step = 0; !wiggle->done; ++step) {
    MoveTo(wiggle->at.x + step % 2, wiggle->at.y);
    Sleep(50);
  }
  return 0;
}

std::string Drop(int x, int y, const std::vector<std::wstring>& paths) {
  MoveTo(x, y);
  FileData data(paths);
  DropSoon source;
  Wiggle wiggle{{x, y}, 0};
  HANDLE thread = CreateThread(nullptr, 0, WiggleWhileDragging, &wiggle, 0, nullptr);
  DWORD effect = DROPEFFECT_NONE;
  const HRESULT result = DoDragDrop(&data, &source, DROPEFFECT_COPY | DROPEFFECT_LINK, &effect);
  InterlockedExchange(&wiggle.done, 1);
  if (thread) {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
  MoveTo(x, y);
  char buffer[96];
  std::snprintf(buffer, sizeof(buffer), "{\"kind\":\"drop\",\"dropped\":%s,\"effect\":%lu}",
                result == DRAGDROP_S_DROP ? "true" : "false", effect);
  return buffer;
}

std::wstring Wide(const std::string& text) {
  std::wstring out(text.size(), L'\0');
  out.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                                     static_cast<int>(out.size()))));
  return out;
}

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
  std::vector<std::wstring> parts;
  std::wstring part;
  for (const wchar_t c : text) {
    if (c == separator) {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

HWND Handle(std::istringstream& in) {
  unsigned long long value = 0;
  in >> value;
  return reinterpret_cast<HWND>(static_cast<UINT_PTR>(value));
}

// One command: its records on `out`, then the closing record.
void Serve(const std::string& line, FILE* out) {
  std::istringstream in(line);
  std::string verb;
  in >> verb;
  std::string rest;
  std::getline(in >> std::ws, rest);
  std::istringstream args(rest);
  const std::wstring wide_rest = Wide(rest);
  if (verb == "survey") {
    std::vector<DWORD> pids;
    for (unsigned long pid; args >> pid;) pids.push_back(static_cast<DWORD>(pid));
    Survey(out, pids);
  } else if (verb == "screen") {
    std::fprintf(out, "%s\n", Rect("screen", VirtualScreen()).c_str());
  } else if (verb == "move") {
    int x = 0, y = 0;
    args >> x >> y;
    const POINT at = MoveTo(x, y);
    std::fprintf(out, "{\"kind\":\"cursor\",\"x\":%ld,\"y\":%ld}\n", at.x, at.y);
  } else if (verb == "down" || verb == "up") {
    int button = 0;
    args >> button;
    Button(button, verb == "down");
  } else if (verb == "wheel") {
    int notches = 0;
    args >> notches;
    SendMouse(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(notches * WHEEL_DELTA));
  } else if (verb == "keys") {
    // One call for the whole combination, which the system inserts with no other input between.
    std::vector<INPUT> inputs;
    for (std::string token; args >> token;)
      inputs.push_back(KeyInput(static_cast<WORD>(std::atoi(token.c_str() + 1)), token[0] == '+'));
    if (!inputs.empty()) SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  } else if (verb == "type") {
    Type(wide_rest);
  } else if (verb == "focus") {
    std::fprintf(out, "{\"kind\":\"focus\",\"foreground\":%s}\n", Focus(Handle(args)) ? "true" : "false");
  } else if (verb == "raise") {
    SetWindowPos(Handle(args), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  } else if (verb == "picture") {
    std::fprintf(out, "{\"kind\":\"picture\",\"written\":%s}\n", WritePicture(wide_rest.c_str()) ? "true" : "false");
  } else if (verb == "clipboard") {
    const auto parts = Split(wide_rest, L' ');
    const long long size = parts.size() < 2 ? -1 : WriteClipboard(parts[0], wide_rest.c_str() + parts[0].size() + 1);
    std::fprintf(out, "{\"kind\":\"clipboard\",\"size\":%lld}\n", size);
  } else if (verb == "clipboard-empty") {
    std::fprintf(out, "{\"kind\":\"clipboard\",\"emptied\":%s}\n", EmptyTheClipboard() ? "true" : "false");
  } else if (verb == "clipboard-bitmap") {
    std::fprintf(out, "%s\n", ClipboardBitmap().c_str());
  } else if (verb == "tray") {
    NOTIFYICONIDENTIFIER icon{sizeof(icon)};
    icon.hWnd = Handle(args);
    args >> icon.uID;
    RECT r{};
    if (SUCCEEDED(Shell_NotifyIconGetRect(&icon, &r))) std::fprintf(out, "%s\n", Rect("tray", r).c_str());
  } else if (verb == "menu") {
    MenuRows(out, Handle(args));
  } else if (verb == "drop") {
    int x = 0, y = 0;
    args >> x >> y;
    std::string paths;
    std::getline(args >> std::ws, paths);
    std::fprintf(out, "%s\n", Drop(x, y, Split(Wide(paths), L'\t')).c_str());
  } else if (verb == "memory") {
    DWORD pid = 0;
    args >> pid;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    PROCESS_MEMORY_COUNTERS_EX counters{sizeof(counters)};
    if (process &&
        GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters))) {
      std::fprintf(out, "{\"kind\":\"memory\",\"private\":%llu}\n",
                   static_cast<unsigned long long>(counters.PrivateUsage));
    }
    if (process) CloseHandle(process);
  } else {
    std::fprintf(out, "{\"kind\":\"error\",\"unknown\":%s}\n", Json(Wide(verb)).c_str());
  }
  std::fputs("{\"kind\":\"end\"}\n", out);
  std::fflush(out);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2 || std::wstring(argv[1]) != L"--serve") return 2;
  _setmode(_fileno(stdout), _O_BINARY);
  // Places in pixels on every monitor, as the program sees them, not scaled for an unaware one.
  SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  // The drop's drag runs OLE's loop on this thread.
  OleInitialize(nullptr);
  std::string line;
  for (char buffer[4096]; std::fgets(buffer, sizeof(buffer), stdin);) {
    line += buffer;
    if (line.back() != '\n') continue;
    line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Serve(line, stdout);
    line.clear();
  }
  OleUninitialize();
  return 0;
}
