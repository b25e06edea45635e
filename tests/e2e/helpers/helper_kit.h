// Pieces the end-to-end helper programs share: JSON text out of window strings, a message pump
// and the census of a process's GDI and USER objects.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

namespace helper_kit {

inline std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

// A JSON string literal of `text` in UTF-8.
inline std::string Json(const std::wstring& text) {
  std::string out = "\"";
  for (char c : Utf8(text)) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof(buffer), "\\u%04x", static_cast<unsigned char>(c));
      out += buffer;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

inline void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// GetGuiResources where the system implements it; otherwise every GDI table slot is asked for
// its type (a handle's low word names its slot), which counts the same objects.
inline int GdiObjects() {
  const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (reported != 0) return static_cast<int>(reported);
  int count = 0;
  for (UINT_PTR slot = 1; slot < 0x10000; ++slot) {
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0) ++count;
  }
  return count;
}

inline BOOL CALLBACK CountOwnWindow(HWND hwnd, LPARAM counter) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == GetCurrentProcessId()) {
    ++*reinterpret_cast<int*>(counter);
    EnumChildWindows(hwnd, CountOwnWindow, counter);
  }
  return TRUE;
}

// GetGuiResources where the system implements it; otherwise the windows (children included)
// and menus of this process: icons and cursors have no portable census.
inline int UserObjects() {
  const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  if (reported != 0) return static_cast<int>(reported);
  int count = 0;
  EnumWindows(CountOwnWindow, reinterpret_cast<LPARAM>(&count));
  for (UINT_PTR slot = 0x20; slot < 0x10000; slot += 2) {
    if (IsMenu(reinterpret_cast<HMENU>(slot))) ++count;
  }
  return count;
}

// True when the system answered the object counts itself.
inline bool SystemCountsObjects() { return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) != 0; }

}  // namespace helper_kit
