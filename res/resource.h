// Resource identifiers shared by petariko.rc and the program.
#pragma once

#define IDI_PETARIKO 101  // program icon, 16 to 256 px; its 32 to 128 px images are the cut-out start marker
#define IDI_TRAY 102      // notification-area icon, 16 to 48 px
#define IDB_ARROWS 103    // 128x32 arrow strip: up, left, right, down on yellow
// The same strip for the larger scales, its cells 40 to 128 px.
#define IDB_ARROWS_40 104
#define IDB_ARROWS_48 105
#define IDB_ARROWS_64 106
#define IDB_ARROWS_96 107
#define IDB_ARROWS_128 108
