#include "win32/font_face_win32.h"

#include <windows.h>

#include "core/ui_strings.h"
#include "win32/handles_win32.h"

namespace petariko {

namespace {

bool FontInstalled(HDC dc, const wchar_t* face) {
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(query.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  EnumFontFamiliesExW(
      dc, &query,
      [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found_flag) -> int {
        *reinterpret_cast<bool*>(found_flag) = true;
        return 0;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

std::wstring PickFace() {
  // The classic face under both its names, then the UI faces of current systems, then the
  // faces of Linux desktops and the test bed.
  const wchar_t* candidates[] = {ui::kFontPGothic,    L"MS PGothic",   ui::kFontFallback, L"Meiryo UI", L"MS UI Gothic",
                                 L"Noto Sans CJK JP", L"Noto Sans JP", L"IPAPGothic",     L"VL PGothic"};
  ScopedGetDc screen(nullptr);
  for (const wchar_t* face : candidates) {
    if (FontInstalled(screen.get(), face)) return face;
  }
  return ui::kFontFallback;  // the font mapper then picks the closest Japanese face
}

}  // namespace

const std::wstring& JapaneseFontFace() {
  static const std::wstring face = PickFace();  // fonts are not installed under a running program
  return face;
}

}  // namespace petariko
