#include "fakes/cp932_codec.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <stdexcept>

namespace petariko::testing {

namespace {

#ifdef _WIN32

// Windows has the code page itself (MinGW has no iconv): the calls and flags the program's own
// codec uses, so that nothing is replaced by a best fit or a default character.
std::optional<std::string> ToCp932(std::wstring_view text) {
  if (text.empty()) return std::string();
  const int length = static_cast<int>(text.size());
  BOOL used_default = FALSE;
  const int size =
      WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0, nullptr, &used_default);
  if (size <= 0 || used_default) return std::nullopt;
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text.data(), length, bytes.data(), size, nullptr, &used_default);
  return bytes;
}

std::optional<std::wstring> FromCp932(std::string_view bytes) {
  if (bytes.empty()) return std::wstring();
  const int length = static_cast<int>(bytes.size());
  const int size = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
  if (size <= 0) return std::nullopt;
  std::wstring text(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), length, text.data(), size);
  return text;
}

#else

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

std::optional<std::string> ToCp932(std::wstring_view text) {
  return Convert("CP932", "WCHAR_T",
                 std::string_view(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
}

std::optional<std::wstring> FromCp932(std::string_view bytes) {
  std::optional<std::string> wide = Convert("WCHAR_T", "CP932", bytes);
  if (!wide) return std::nullopt;
  return std::wstring(reinterpret_cast<const wchar_t*>(wide->data()), wide->size() / sizeof(wchar_t));
}

#endif

}  // namespace

std::optional<std::string> Cp932Codec::Encode(std::wstring_view text) const {
  std::optional<std::string> bytes = ToCp932(text);
  // iconv maps a few characters one way only (U+00A5 to 5C); Windows refuses those as best fits.
  return bytes && Decode(*bytes) == std::wstring(text) ? bytes : std::nullopt;
}

std::optional<std::wstring> Cp932Codec::Decode(std::string_view bytes) const { return FromCp932(bytes); }

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

std::optional<std::wstring> Cp1252Codec::Decode(std::string_view bytes) const {
  std::wstring out;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    const bool unassigned = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
    out += b >= 0x80 && b < 0xA0 && !unassigned ? L'\u2022' : static_cast<wchar_t>(b);
  }
  return out;
}

}  // namespace petariko::testing
