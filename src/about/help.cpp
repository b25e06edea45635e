#include "about/help.h"

#include "core/settings_file.h"

#ifndef PETARIKO_AUTHOR
#define PETARIKO_AUTHOR ""
#endif
#ifndef PETARIKO_HOMEPAGE
#define PETARIKO_HOMEPAGE ""
#endif
#ifndef PETARIKO_MAIL
#define PETARIKO_MAIL ""
#endif

namespace petariko {

std::wstring HelpPagePath(std::wstring_view program_dir) {
  std::wstring path(program_dir);
  if (path.empty() || path.back() != L'\\') path.push_back(L'\\');
  path += kHelpFileName;
  return path;
}

std::wstring WidenUtf8(std::string_view utf8) {
  if (std::optional<std::wstring> text = DecodeUtf8(utf8)) return *text;
  std::wstring out;
  // Decode what can be decoded, byte by byte from the first bad one.
  std::size_t start = 0;
  while (start < utf8.size()) {
    std::size_t end = utf8.size();
    for (; end > start; --end) {
      if (DecodeUtf8(utf8.substr(start, end - start))) break;
    }
    if (end > start) {
      out += *DecodeUtf8(utf8.substr(start, end - start));
      start = end;
    } else {
      out.push_back(L'\uFFFD');
      ++start;
    }
  }
  return out;
}

std::wstring MakerName() { return WidenUtf8(PETARIKO_AUTHOR); }
std::wstring MakerHomepage() { return WidenUtf8(PETARIKO_HOMEPAGE); }
std::wstring MakerMail() { return WidenUtf8(PETARIKO_MAIL); }

std::wstring MailtoLink(std::wstring_view mail) {
  constexpr std::wstring_view kScheme = L"mailto:";
  if (mail.substr(0, kScheme.size()) == kScheme) return std::wstring(mail);
  return std::wstring(kScheme) + std::wstring(mail);
}

}  // namespace petariko
