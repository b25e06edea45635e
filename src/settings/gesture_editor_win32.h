// The gesture editor (Form3), shown modal over the settings screen.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "settings/program_list.h"

namespace petariko {

// Starts from `path` and `gesture`; returns them as edited on "ＯＫ", nullopt on "キャンセル"
// or the close box.
std::optional<EditorResult> RunGestureEditor(HINSTANCE instance, HWND owner, const std::wstring& path,
                                             const std::wstring& gesture);

}  // namespace petariko
