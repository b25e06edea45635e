// Reading and writing settei.txt on Windows.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "core/settings_file.h"

namespace petariko {

// One code page, refusing best-fit substitutes and invalid bytes so that nothing is silently
// changed.
class CodePageCodec : public AnsiCodec {
 public:
  explicit CodePageCodec(UINT code_page) : code_page_(code_page) {}
  std::optional<std::string> Encode(std::wstring_view text) const override;
  std::optional<std::wstring> Decode(std::string_view bytes) const override;

 private:
  UINT code_page_;
};

// The system's ANSI code page.
class SystemAnsiCodec : public CodePageCodec {
 public:
  SystemAnsiCodec() : CodePageCodec(GetACP()) {}
};

// Code page 932 when the system's ANSI code page is another one, for files written on a Japanese
// system (see ParseSettings); nullptr on a Japanese system.
const AnsiCodec* JapaneseCodecElsewhere();

// The directory petariko.exe is in; ends with "\" only at a drive's root.
std::wstring ProgramDirectory();

// The settings read at start-up, and whether the file had to be made for them.
struct StartupSettings {
  SettingsStore store;
  bool created = false;
};

// Reads the settings, creating the default file first when none exists. On any problem the
// user has been told (naming the file, what is wrong and where) and nullopt is returned; the
// file is left as it was.
std::optional<StartupSettings> LoadSettingsAtStartup(const std::wstring& path);

// Writes the file whole through a temporary file in the same folder, so that a crash or a
// full disk never leaves half a file. Tells the user in a box owned by `owner`, which takes no
// input meanwhile, and returns false on failure.
bool WriteSettingsFileOrTell(HWND owner, const std::wstring& path, const SettingsStore& settings);

}  // namespace petariko
