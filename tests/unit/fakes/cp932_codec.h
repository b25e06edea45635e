// The Japanese system's ANSI code page (932) for tests on Linux, through iconv.
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

// Windows' 1252, whose five unassigned bytes read as the control characters of the same number.
class Cp1252Codec : public AnsiCodec {
 public:
  std::optional<std::string> Encode(std::wstring_view text) const override;
  std::optional<std::wstring> Decode(std::string_view bytes) const override;
};

// UTF-8 as the ANSI code page (65001).
class Utf8Codec : public AnsiCodec {
 public:
  std::optional<std::string> Encode(std::wstring_view text) const override { return EncodeUtf8(text); }
  std::optional<std::wstring> Decode(std::string_view bytes) const override { return DecodeUtf8(bytes); }
};

}  // namespace petariko::testing
