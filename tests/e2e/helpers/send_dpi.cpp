// Tells a window of another process that its DPI changed, as the system does when it moves to a
// monitor of another scale: send_dpi CLASS DPI WIDTH HEIGHT, the last two the size the system
// suggests (at the window's corner). The suggestion is written into the target process, since
// the message carries only its address.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc < 5) return 2;
  const HWND target = FindWindowW(argv[1], nullptr);
  const UINT dpi = static_cast<UINT>(std::wcstoul(argv[2], nullptr, 10));
  if (!target || dpi == 0) return 3;
  RECT r{};
  GetWindowRect(target, &r);
  r.right = r.left + static_cast<LONG>(std::wcstol(argv[3], nullptr, 10));
  r.bottom = r.top + static_cast<LONG>(std::wcstol(argv[4], nullptr, 10));
  DWORD pid = 0;
  GetWindowThreadProcessId(target, &pid);
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return 4;
  void* remote = VirtualAllocEx(process, nullptr, sizeof(r), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  int status = 5;
  if (remote && WriteProcessMemory(process, remote, &r, sizeof(r), nullptr)) {
    DWORD_PTR result = 0;
    status = SendMessageTimeoutW(target, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote),
                                 SMTO_NORMAL, 60000, &result)
                 ? 0
                 : 6;
  }
  // Left in place when the window may still be reading it (a box of its own is up).
  if (status == 0) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return status;
}
