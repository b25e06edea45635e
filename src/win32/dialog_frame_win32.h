// The forms' frame control, a container with its caption over an etched border.
#pragma once

#include <windows.h>

#include <vector>

#include "win32/dialog_kit_win32.h"

namespace petariko::dialog {

// A VB-style frame: a container control that paints its own background, an etched border
// with its caption in the given font and colour, and optional outline rectangles ("shapes").
// It passes the notifications of the controls inside it on to its parent.
struct FrameLook {
  COLORREF back = kLightYellow;
  COLORREF caption_colour = kBlue;
  HFONT caption_font = nullptr;
  bool border = true;
  std::vector<RECT> outlines;  // in client pixels, drawn in black
};
inline constexpr wchar_t kFrameClass[] = L"PetarikoFrame";
// `look` must outlive the window.
HWND CreateFrame(HWND parent, const wchar_t* caption, int id, FrameLook* look);

}  // namespace petariko::dialog
