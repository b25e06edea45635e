#pragma once

#include <cstdint>
#include <span>

namespace petariko {

// Where a file's bytes go, in order.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // False on any failure; nothing more is written after it.
  virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
};

}  // namespace petariko
