// The Japanese system's ANSI code page (932) for the tests: through iconv on Linux, the
// system's own tables on Windows.
#pragma once

#include "core/settings_file.h"

namespace petariko::testing {

class Cp932Codec : public AnsiCodec {
 public:
  std::optional<std::string> Encode(std::wstring_view text) const override;
  std::optional<std::wstring> Decode(std::string_view bytes) const override;
};

// A code page with only ASCII in it, standing in for a system that cannot hold the arrows.
class AsciiCodec : public AnsiCodec {
 public:
  std::optional<std::string> Encode(std::wstring_view text) const override;
  std::optional<std::wstring> Decode(std::string_view bytes) const override;
};

// 1252 as Windows reads it, as far as the tests need: Latin-1, with 80 to 9F punctuation (shown
// as U+2022) except the five unassigned bytes, which read as the control characters of that number.
class Cp1252Codec : public AsciiCodec {
 public:
  std::optional<std::wstring> Decode(std::string_view bytes) const override;
};

}  // namespace petariko::testing
