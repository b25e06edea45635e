#include "fakes/cp932_codec.h"

#include <iconv.h>

#include <stdexcept>

namespace petariko::testing {

namespace {

std::optional<std::string> Convert(const char* to, const char* from, std::string_view input) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
  std::string out(input.size() * 4 + 16, '\0');
  char* in_ptr = const_cast<char*>(input.data());
  size_t in_left = input.size();
  char* out_ptr = out.data();
  size_t out_left = out.size();
  const size_t result = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
  iconv_close(cd);
  if (result == static_cast<size_t>(-1)) return std::nullopt;
  out.resize(out.size() - out_left);
  return out;
}

}  // namespace

std::optional<std::string> Cp932Codec::Encode(std::wstring_view text) const {
  std::optional<std::string> bytes =
      Convert("CP932", "WCHAR_T",
              std::string_view(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
  // iconv maps a few characters one way only (U+00A5 to 5C); Windows refuses those as best fits.
  return bytes && Decode(*bytes) == std::wstring(text) ? bytes : std::nullopt;
}

std::optional<std::wstring> Cp932Codec::Decode(std::string_view bytes) const {
  std::optional<std::string> wide = Convert("WCHAR_T", "CP932", bytes);
  if (!wide) return std::nullopt;
  return std::wstring(reinterpret_cast<const wchar_t*>(wide->data()), wide->size() / sizeof(wchar_t));
}

std::optional<std::string> AsciiCodec::Encode(std::wstring_view text) const {
  std::string out;
  for (wchar_t c : text) {
    if (c > 0x7F) return std::nullopt;
    out += static_cast<char>(c);
  }
  return out;
}

std::optional<std::wstring> AsciiCodec::Decode(std::string_view bytes) const {
  std::wstring out;
  for (char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) return std::nullopt;
    out += static_cast<wchar_t>(c);
  }
  return out;
}

namespace {
// 0x80 to 0x9F; the rest of 1252 is Latin-1.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
}  // namespace

std::optional<std::string> Cp1252Codec::Encode(std::wstring_view text) const {
  std::string out;
  for (wchar_t c : text) {
    int byte = c >= 0 && c <= 0xFF && (c < 0x80 || c > 0x9F) ? static_cast<int>(c) : -1;
    for (int i = 0; i < 32 && byte < 0; ++i) byte = kCp1252High[i] == static_cast<char16_t>(c) ? 0x80 + i : -1;
    if (byte < 0) return std::nullopt;
    out += static_cast<char>(byte);
  }
  return out;
}

std::optional<std::wstring> Cp1252Codec::Decode(std::string_view bytes) const {
  std::wstring out;
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    out += static_cast<wchar_t>(byte >= 0x80 && byte <= 0x9F ? kCp1252High[byte - 0x80] : byte);
  }
  return out;
}

}  // namespace petariko::testing
