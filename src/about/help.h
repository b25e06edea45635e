// Where the about box's help button and links lead.
#pragma once

#include <string>
#include <string_view>

namespace petariko {

inline constexpr wchar_t kHelpFileName[] = L"help.html";

// help.html in the program's directory, with exactly one "\" before the file name even when
// the directory is a drive's root.
std::wstring HelpPagePath(std::wstring_view program_dir);

// The maker's details, fixed when the program is built.
std::wstring MakerName();
std::wstring MakerHomepage();
std::wstring MakerMail();

// What the mail link hands to the mail program.
std::wstring MailtoLink(std::wstring_view mail);

// Build configuration arrives as UTF-8; bytes that are not UTF-8 become U+FFFD rather than
// being dropped silently.
std::wstring WidenUtf8(std::string_view utf8);

}  // namespace petariko
