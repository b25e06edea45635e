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
  // nullopt when the bytes are not valid in the code page: nothing is read as a substitute.
  virtual std::optional<std::wstring> Decode(std::string_view bytes) const = 0;
};

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The directory ends with "\" only at a drive's root; otherwise one is put in between.
std::wstring SettingsFilePath(std::wstring_view program_dir);

// The number format of the file: a sign position (space or '-'), the digits, one space.
std::string FormatNumber(long long value);

// The whole file. In the ANSI code page when every character fits it (and the bytes would not
// be taken for UTF-8 when read back); otherwise UTF-8 with a byte-order mark, so that nothing
// the user entered is lost. `japanese` is code page 932, given only when the system's code page
// is another: text outside ASCII then always takes the mark, so that the file reads the same
// after any later switch of the code page.
std::string SerializeSettings(const SettingsStore& settings, const AnsiCodec& codec,
                              const AnsiCodec* japanese = nullptr);

// The 135-byte file written when none exists.
std::string DefaultSettingsBytes();

struct SettingsParseError {
  // kBadUtf8: after a byte-order mark; kBadText: without one, valid neither in the code page
  // nor as UTF-8.
  enum class Kind { kTooFewLines, kNotInteger, kOutOfRange, kBadUtf8, kBadText };
  Kind kind;
  int line;  // 1-based line the problem is on; for kTooFewLines the number of lines found
  friend bool operator==(const SettingsParseError&, const SettingsParseError&) = default;
};

using SettingsParseResult = std::variant<SettingsStore, SettingsParseError>;

// Reads the file's bytes. Accepts CR LF (and, for hand-edited files, LF or CR alone) as line
// ends; a leading UTF-8 byte-order mark makes the rest UTF-8. Without the mark, text that editors
// saved as UTF-8 is read as UTF-8, anything else in the code page, except that with `japanese`
// (see SerializeSettings) a file this program wrote on a Japanese system is read as CP932.
SettingsParseResult ParseSettings(std::string_view bytes, const AnsiCodec& codec, const AnsiCodec* japanese = nullptr);

// False for text with a lone UTF-16 surrogate: no code page and no UTF-8 can hold it, so a path
// with one cannot be kept in the file.
bool IsStorableText(std::wstring_view text);

// The user-facing description of a parse error: what is wrong and where.
std::wstring DescribeSettingsError(const SettingsParseError& error);

// UTF-8 helpers for the byte-order-mark form of the file.
std::string EncodeUtf8(std::wstring_view text);
std::optional<std::wstring> DecodeUtf8(std::string_view bytes);

}  // namespace petariko
