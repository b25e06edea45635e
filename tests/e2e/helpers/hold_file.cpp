// Holds a file open for a moment without delete sharing, as a virus scanner or the indexer does
// with a fresh file: hold_file PATH MILLISECONDS [BUTTON]. With BUTTON (a window handle in
// decimal), it clicks that button once the file is held, so that what the click saves meets the
// hold. Exit code 0 when the file was held.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 3;
  if (argc > 3) {
    const auto button = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::wcstoll(argv[3], nullptr, 10)));
    PostMessageW(button, BM_CLICK, 0, 0);
  }
  Sleep(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
  CloseHandle(file);
  return 0;
}
