#include "core/settings_file.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "core/ui_strings.h"

namespace petariko {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Splits into lines without their ends. A final line without an end still counts.
std::vector<std::string_view> SplitLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n') continue;
    lines.push_back(bytes.substr(start, i - start));
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  return lines;
}

// A decimal integer with optional sign, spaces around it ignored.
std::optional<long long> ParseInteger(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    // Saturate far beyond any range we accept; the caller reports it as out of range.
    if (value < (1LL << 40)) value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

// Without a byte-order mark the text is UTF-8 when every line is valid UTF-8 and either some
// line is not valid in the code page or some character takes three bytes or more: every
// Japanese character does, and code-page text almost never forms such sequences, while it
// forms two-byte ones by chance.
bool ReadsAsUtf8(std::span<const std::string_view> lines, const AnsiCodec& codec) {
  bool long_sequence = false;
  bool outside_code_page = false;
  for (std::string_view line : lines) {
    if (!DecodeUtf8(line)) return false;
    long_sequence = long_sequence || std::any_of(line.begin(), line.end(), [](char c) {
                      return static_cast<unsigned char>(c) >= 0xE0;  // lead of 3 or 4 bytes
                    });
    outside_code_page = outside_code_page || !codec.Decode(line);
  }
  return long_sequence || outside_code_page;
}

bool IsArrows(std::wstring_view text) {
  const std::wstring arrows = std::wstring(ui::kArrowUp) + ui::kArrowLeft + ui::kArrowRight + ui::kArrowDown;
  return !text.empty() && text.find_first_not_of(arrows) == std::wstring_view::npos;
}

// On a system whose code page is not 932, a file without the mark that is not UTF-8 is read as
// CP932 when all of it is CP932 and something in it makes sense only so: a line the code page
// cannot read (Shift-JIS under UTF-8 as the code page), a gesture line that CP932 reads as arrows
// (no other code page stores them as those bytes, and there this program writes them with the
// mark), or a control character U+0080 to U+009F in the code page's reading (what Shift-JIS
// gives under 1252 and its kin: nobody's text). A file written in the code page itself shows none
// of these, so it is still read as before.
bool ReadsAsCp932(std::span<const std::string_view> lines, const AnsiCodec& codec, const AnsiCodec& japanese) {
  bool only_cp932 = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::optional<std::wstring> cp932 = japanese.Decode(lines[i]);
    if (!cp932) return false;
    if (only_cp932) continue;
    const std::optional<std::wstring> native = codec.Decode(lines[i]);
    only_cp932 = !native || (i % 2 == 1 && IsArrows(*cp932)) ||
                 std::any_of(native->begin(), native->end(), [](wchar_t c) { return c >= 0x80 && c <= 0x9F; });
  }
  return only_cp932;
}

SettingsParseResult ParseLines(const std::vector<std::string_view>& lines, bool has_bom, const AnsiCodec& codec,
                               const AnsiCodec* japanese) {
  if (static_cast<int>(lines.size()) < kSettingsLineCount) {
    return SettingsParseError{SettingsParseError::Kind::kTooFewLines, static_cast<int>(lines.size())};
  }
  SettingsStore store;
  int* numbers[] = {&store.lngCutButton, &store.lngGestureButton, &store.intWaitTime};
  for (int i = 0; i < 3; ++i) {
    std::optional<long long> value = ParseInteger(lines[i]);
    if (!value) return SettingsParseError{SettingsParseError::Kind::kNotInteger, i + 1};
    const bool is_hold_time = i == 2;
    const long long low = is_hold_time ? std::numeric_limits<int16_t>::min() : std::numeric_limits<int32_t>::min();
    const long long high = is_hold_time ? std::numeric_limits<int16_t>::max() : std::numeric_limits<int32_t>::max();
    if (*value < low || *value > high) return SettingsParseError{SettingsParseError::Kind::kOutOfRange, i + 1};
    *numbers[i] = static_cast<int>(*value);
  }
  const std::span<const std::string_view> text(lines.data() + 3, std::size_t{2} * kEntryCount);
  const bool utf8 = has_bom || ReadsAsUtf8(text, codec);
  const AnsiCodec& code_page = !utf8 && japanese && ReadsAsCp932(text, codec, *japanese) ? *japanese : codec;
  // A line that cannot be read stops the reading: a substitute would be written back on OK.
  const auto bad = has_bom ? SettingsParseError::Kind::kBadUtf8 : SettingsParseError::Kind::kBadText;
  for (int i = 0; i < 2 * kEntryCount; ++i) {
    std::optional<std::wstring> line = utf8 ? DecodeUtf8(text[i]) : code_page.Decode(text[i]);
    if (!line) return SettingsParseError{bad, i + 4};
    (i % 2 == 0 ? store.strProgram : store.strGesture)[i / 2] = std::move(*line);
  }
  return store;
}

void AppendCodePoint(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void AppendWide(std::wstring& out, uint32_t cp) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (cp >> 10));
      out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
      return;
    }
  }
  out += static_cast<wchar_t>(cp);
}

}  // namespace

std::wstring SettingsFilePath(std::wstring_view program_dir) {
  std::wstring path(program_dir);
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path + L"settei.txt";
}

std::string FormatNumber(long long value) {
  std::string text = value < 0 ? "-" : " ";
  const unsigned long long magnitude =
      value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
  text += std::to_string(magnitude);
  text += ' ';
  return text;
}

std::string SerializeSettings(const SettingsStore& settings, const AnsiCodec& codec, const AnsiCodec* japanese) {
  std::string numbers;
  for (long long value :
       {static_cast<long long>(settings.lngCutButton), static_cast<long long>(settings.lngGestureButton),
        static_cast<long long>(settings.intWaitTime)}) {
    numbers += FormatNumber(value);
    numbers += kLineEnd;
  }

  std::vector<std::string> encoded;
  for (int i = 0; i < 2 * kEntryCount; ++i) {
    const std::wstring& text = (i % 2 == 0 ? settings.strProgram : settings.strGesture)[i / 2];
    // Away from 932, code-page bytes outside ASCII would be misread after a switch of the code page.
    if (japanese && std::any_of(text.begin(), text.end(), [](wchar_t c) { return static_cast<uint32_t>(c) > 0x7F; }))
      break;
    std::optional<std::string> bytes = codec.Encode(text);
    if (!bytes) break;
    encoded.push_back(std::move(*bytes));
  }
  const std::vector<std::string_view> lines(encoded.begin(), encoded.end());
  // Code-page bytes that would read back as UTF-8 get the mark too, or they would come back changed.
  if (encoded.size() == std::size_t{2} * kEntryCount && !ReadsAsUtf8(lines, codec)) {
    std::string ansi = numbers;
    for (const std::string& line : encoded) {
      ansi += line;
      ansi += kLineEnd;
    }
    return ansi;
  }

  std::string utf8(kUtf8Bom);
  utf8 += numbers;
  for (int i = 0; i < kEntryCount; ++i) {
    utf8 += EncodeUtf8(settings.strProgram[i]);
    utf8 += kLineEnd;
    utf8 += EncodeUtf8(settings.strGesture[i]);
    utf8 += kLineEnd;
  }
  return utf8;
}

std::string DefaultSettingsBytes() {
  std::string bytes = FormatNumber(kButtonLeft) + std::string(kLineEnd) + FormatNumber(kButtonRight) +
                      std::string(kLineEnd) + FormatNumber(3) + std::string(kLineEnd);
  for (int i = 0; i < 2 * kEntryCount; ++i) bytes += kLineEnd;
  return bytes;
}

SettingsParseResult ParseSettings(std::string_view bytes, const AnsiCodec& codec, const AnsiCodec* japanese) {
  const bool has_bom = bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom;
  return ParseLines(SplitLines(has_bom ? bytes.substr(kUtf8Bom.size()) : bytes), has_bom, codec, japanese);
}

bool IsStorableText(std::wstring_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t unit = text[i];
    if (unit < 0xD800 || unit >= 0xE000) continue;
    const bool pair =
        sizeof(wchar_t) == 2 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000;
    if (!pair) return false;
    ++i;
  }
  return true;
}

std::wstring DescribeSettingsError(const SettingsParseError& error) {
  using Kind = SettingsParseError::Kind;
  if (error.kind == Kind::kTooFewLines) {
    return std::to_wstring(error.line) + ui::kSettingsTooFewLines;
  }
  std::wstring text = std::to_wstring(error.line) + ui::kSettingsLineLabel;
  switch (error.kind) {
    case Kind::kNotInteger: return text + ui::kSettingsNotInteger;
    case Kind::kOutOfRange: return text + ui::kSettingsOutOfRange;
    case Kind::kBadUtf8: return text + ui::kSettingsBadUtf8;
    case Kind::kBadText: return text + ui::kSettingsBadText;
    case Kind::kTooFewLines: break;
  }
  return text;
}

std::string EncodeUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (size_t i = 0; i < text.size(); ++i) {
    // A negative unit (wchar_t is signed on the host only) becomes a value past U+10FFFF, which
    // is written as U+FFFD below: unlike a signed char's, it can never pass for a character.
    // NOLINTNEXTLINE(bugprone-signed-char-misuse)
    uint32_t cp = static_cast<uint32_t>(text[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      cp &= 0xFFFF;
      if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size()) {
        const uint32_t low = static_cast<uint32_t>(text[i + 1]) & 0xFFFF;
        if (low >= 0xDC00 && low < 0xE000) {
          cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          ++i;
        }
      }
    }
    // A lone surrogate has no UTF-8 form; written as one, it would make the file unreadable.
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) cp = 0xFFFD;
    AppendCodePoint(out, cp);
  }
  return out;
}

std::optional<std::wstring> DecodeUtf8(std::string_view bytes) {
  std::wstring out;
  size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    int extra = 0;
    uint32_t cp = 0;
    if (lead < 0x80) {
      cp = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1;
      cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2;
      cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3;
      cp = lead & 0x07;
    } else {
      return std::nullopt;
    }
    if (i + extra >= bytes.size()) return std::nullopt;  // truncated sequence
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      cp = (cp << 6) | (next & 0x3F);
    }
    static constexpr uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return std::nullopt;
    AppendWide(out, cp);
    i += extra + 1;
  }
  return out;
}

}  // namespace petariko
