#include "core/settings_file_win32.h"

#include <windows.h>

#include <vector>

#include "core/ui_strings.h"
#include "win32/atomic_file_win32.h"
#include "win32/handles_win32.h"
#include "win32/message_box_win32.h"

namespace petariko {

namespace {

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
  // A virus scanner, the indexer or a cloud folder may hold the file for a moment with write or
  // delete access: sharing them lets the start read it meanwhile.
  UniqueKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return std::nullopt;
  LARGE_INTEGER size{};
  // A settings file is a few kilobytes; anything huge is not one.
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > (64LL << 20)) return std::nullopt;
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() &&
      (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())) {
    return std::nullopt;
  }
  return bytes;
}

bool WriteAtomically(const std::wstring& path, const std::string& bytes) {
  return WriteFileAtomically(path, [&bytes](ByteSink& sink) {
    return sink.Write({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
  });
}

void TellUnreadable(const std::wstring& path, const std::wstring& what) {
  ShowMessageBox(nullptr, std::wstring(ui::kSettingsUnreadable) + L"\r\n" + path + L"\r\n" + what, ui::kTitleError);
}

}  // namespace

std::optional<std::string> CodePageCodec::Encode(std::wstring_view text) const {
  if (text.empty()) return std::string();
  // UTF-8 holds everything and takes no "default char" check.
  const DWORD flags = code_page_ == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL used_default = FALSE;
  BOOL* used_default_ptr = code_page_ == CP_UTF8 ? nullptr : &used_default;
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(code_page_, flags, text.data(), length, nullptr, 0, nullptr, used_default_ptr);
  if (size <= 0 || used_default) return std::nullopt;
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(code_page_, flags, text.data(), length, bytes.data(), size, nullptr, used_default_ptr);
  return bytes;
}

std::optional<std::wstring> CodePageCodec::Decode(std::string_view bytes) const {
  if (bytes.empty()) return std::wstring();
  const int length = static_cast<int>(bytes.size());
  // Invalid bytes fail instead of turning into the code page's default character.
  const int size = MultiByteToWideChar(code_page_, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
  if (size <= 0) return std::nullopt;
  std::wstring text(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(code_page_, MB_ERR_INVALID_CHARS, bytes.data(), length, text.data(), size);
  return text;
}

const AnsiCodec* JapaneseCodecElsewhere() {
  static const CodePageCodec japanese(932);
  return GetACP() == 932 ? nullptr : &japanese;
}

std::wstring ProgramDirectory() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) {
      std::wstring path(buffer.data(), length);
      const size_t slash = path.find_last_of(L'\\');
      if (slash == std::wstring::npos) return path;
      // Keep the backslash of a drive's root ("C:\").
      return path.substr(0, slash == 2 && path[1] == L':' ? slash + 1 : slash);
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::optional<StartupSettings> LoadSettingsAtStartup(const std::wstring& path) {
  bool created = false;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) {
      TellUnreadable(path, ui::kSettingsCannotOpen);
      return std::nullopt;
    }
    if (!WriteAtomically(path, DefaultSettingsBytes())) {
      TellUnreadable(path, ui::kSettingsCannotCreate);
      return std::nullopt;
    }
    created = true;
  }
  std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) {
    TellUnreadable(path, ui::kSettingsCannotOpen);
    return std::nullopt;
  }
  SettingsParseResult result = ParseSettings(*bytes, SystemAnsiCodec(), JapaneseCodecElsewhere());
  if (const auto* error = std::get_if<SettingsParseError>(&result)) {
    TellUnreadable(path, DescribeSettingsError(*error));
    return std::nullopt;
  }
  return StartupSettings{std::get<SettingsStore>(std::move(result)), created};
}

bool WriteSettingsFileOrTell(HWND owner, const std::wstring& path, const SettingsStore& settings) {
  if (WriteAtomically(path, SerializeSettings(settings, SystemAnsiCodec(), JapaneseCodecElsewhere()))) return true;
  ShowMessageBox(owner, std::wstring(ui::kSettingsUnwritable) + L"\r\n" + path + L"\r\n" + ui::kSettingsKeptForRun,
                 ui::kTitleError);
  return false;
}

}  // namespace petariko
