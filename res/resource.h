// Resource identifiers shared by petariko.rc and the program.
#pragma once

#define IDI_PETARIKO 101  // program icon, 16 to 256 px; its 32 px image is the cut-out start marker
#define IDI_TRAY 102      // notification-area icon, 16 to 48 px
#define IDB_ARROWS 103    // 128x32 arrow strip: up, left, right, down on yellow
