// The about box (frmAbout): version, the maker's links and the help page.
#pragma once

#include <windows.h>

#include <string>

namespace petariko {

void RunAboutBox(HINSTANCE instance, HWND owner, const std::wstring& program_dir);

}  // namespace petariko
