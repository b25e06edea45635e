#include "core/settings_file.h"

#include <cstdint>
#include <limits>
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

template <typename Decoder>
SettingsParseResult ParseLines(const std::vector<std::string_view>& lines, Decoder decode) {
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
  for (int i = 0; i < kEntryCount; ++i) {
    const int program_line = 3 + 2 * i;
    std::optional<std::wstring> program = decode(lines[program_line]);
    if (!program) return SettingsParseError{SettingsParseError::Kind::kBadUtf8, program_line + 1};
    std::optional<std::wstring> gesture = decode(lines[program_line + 1]);
    if (!gesture) return SettingsParseError{SettingsParseError::Kind::kBadUtf8, program_line + 2};
    store.strProgram[i] = std::move(*program);
    store.strGesture[i] = std::move(*gesture);
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
  const unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                                 : static_cast<unsigned long long>(value);
  text += std::to_string(magnitude);
  text += ' ';
  return text;
}

std::string SerializeSettings(const SettingsStore& settings, const AnsiCodec& codec) {
  std::string numbers;
  for (long long value : {static_cast<long long>(settings.lngCutButton),
                          static_cast<long long>(settings.lngGestureButton),
                          static_cast<long long>(settings.intWaitTime)}) {
    numbers += FormatNumber(value);
    numbers += kLineEnd;
  }

  std::string ansi = numbers;
  bool fits_code_page = true;
  for (int i = 0; i < kEntryCount && fits_code_page; ++i) {
    for (const std::wstring* text : {&settings.strProgram[i], &settings.strGesture[i]}) {
      std::optional<std::string> bytes = codec.Encode(*text);
      if (!bytes) {
        fits_code_page = false;
        break;
      }
      ansi += *bytes;
      ansi += kLineEnd;
    }
  }
  if (fits_code_page) return ansi;

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

SettingsParseResult ParseSettings(std::string_view bytes, const AnsiCodec& codec) {
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    return ParseLines(SplitLines(bytes.substr(kUtf8Bom.size())), [](std::string_view line) { return DecodeUtf8(line); });
  }
  return ParseLines(SplitLines(bytes),
                    [&codec](std::string_view line) { return std::optional<std::wstring>(codec.Decode(line)); });
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
    case Kind::kTooFewLines: break;
  }
  return text;
}

std::string EncodeUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (size_t i = 0; i < text.size(); ++i) {
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
    if (cp > 0x10FFFF) cp = 0xFFFD;
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
