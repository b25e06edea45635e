// The settings file settei.txt: 63 CR LF lines in the system's ANSI code page.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "core/settings_store.h"

namespace petariko {

inline constexpr int kSettingsLineCount = 3 + 2 * kEntryCount;  // 63

// Converts between the program's text and the bytes of the system's ANSI code page.
class AnsiCodec {
 public:
  virtual ~AnsiCodec() = default;
  // nullopt when some character has no representation in the code page.
  virtual std::optional<std::string> Encode(std::wstring_view text) const = 0;
  virtual std::wstring Decode(std::string_view bytes) const = 0;
};

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The directory ends with "\" only at a drive's root; otherwise one is put in between.
std::wstring SettingsFilePath(std::wstring_view program_dir);

// The number format of the file: a sign position (space or '-'), the digits, one space.
std::string FormatNumber(long long value);

// The whole file. In the ANSI code page when every character fits it; otherwise UTF-8 with
// a byte-order mark, so that nothing the user entered is lost.
std::string SerializeSettings(const SettingsStore& settings, const AnsiCodec& codec);

// The 135-byte file written when none exists.
std::string DefaultSettingsBytes();

struct SettingsParseError {
  enum class Kind { kTooFewLines, kNotInteger, kOutOfRange, kBadUtf8 };
  Kind kind;
  int line;  // 1-based line the problem is on; for kTooFewLines the number of lines found
  friend bool operator==(const SettingsParseError&, const SettingsParseError&) = default;
};

using SettingsParseResult = std::variant<SettingsStore, SettingsParseError>;

// Reads the file's bytes. Accepts CR LF (and, for hand-edited files, LF or CR alone) as line
// ends; a leading UTF-8 byte-order mark makes the rest UTF-8.
SettingsParseResult ParseSettings(std::string_view bytes, const AnsiCodec& codec);

// The user-facing description of a parse error: what is wrong and where.
std::wstring DescribeSettingsError(const SettingsParseError& error);

// UTF-8 helpers for the byte-order-mark form of the file.
std::string EncodeUtf8(std::wstring_view text);
std::optional<std::wstring> DecodeUtf8(std::string_view bytes);

}  // namespace petariko
