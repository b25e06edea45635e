// Where the mouse cursor is now, in screen pixels.
#pragma once

#include <windows.h>

#include "core/point.h"

namespace petariko {

inline Point CursorPosition() {
  POINT p{};
  GetCursorPos(&p);
  return {p.x, p.y};
}

}  // namespace petariko
