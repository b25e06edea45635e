// The settings screen (Form2): mouse buttons, hold time and the registered-program list.
#pragma once

#include <windows.h>

#include "settings/settings_screen_host_win32.h"

namespace petariko {

// Opens the modeless settings screen, or brings the open one to the front. The caller has
// already hidden a cut-out and set blnBusy; "ＯＫ", "キャンセル" and the close box clear
// blnBusy and put the cut-out back.
void OpenSettingsScreen(HINSTANCE instance, SettingsScreenHost& host);

// Brings the open screen to the front, or the box or dialog it is showing; false when no
// screen is open.
bool BringSettingsScreenForward();

}  // namespace petariko
