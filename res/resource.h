// Resource identifiers shared by petariko.rc and the program.
#pragma once

#define IDI_PETARIKO 101  // 32x32 program icon, also the cut-out start marker
#define IDI_TRAY 102      // 16x16 notification-area icon
#define IDB_ARROWS 103    // 128x32 arrow strip: up, left, right, down on yellow
