#pragma once

#include <cstdint>

namespace petariko {

// A 24-bit colour, components 0..255.
struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

}  // namespace petariko
