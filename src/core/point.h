#pragma once

namespace petariko {

// A screen position in pixels (the Windows POINT without the header).
struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

}  // namespace petariko
