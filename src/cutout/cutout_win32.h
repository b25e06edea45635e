// The desktop side of the cut-out's save and of the program's plain messages.
#pragma once

#include <windows.h>

#include <optional>
#include <functional>
#include <string>

#include "core/user_messages.h"
#include "cutout/cutout.h"

namespace petariko {

// The save dialog: one BMP filter, no read-only box, no overwrite prompt, no extension added.
class Win32SaveDialog : public SavePathDialog {
 public:
  explicit Win32SaveDialog(HWND owner) : owner_(owner) {}
  std::optional<std::wstring> Ask(const std::wstring& initial_name) override;

 private:
  HWND owner_;
};

class Win32FileWriter : public FileWriter {
 public:
  bool WriteFile(const std::wstring& path, const std::function<bool(ByteSink&)>& produce) override;
};

// Message boxes with an OK button only, in front of the topmost frozen screen and cut-out.
class MessageBoxMessages : public UserMessages {
 public:
  // `owner` takes no input while a message is up.
  explicit MessageBoxMessages(HWND owner) : owner_(owner) {}
  void Show(const std::wstring& text, const std::wstring& title) override;

 private:
  HWND owner_;
};

// The dialog's filter: the displayed pattern pairs separated by "|" become NUL-separated,
// with the double NUL the dialog needs at the end.
std::wstring DialogFilter(const std::wstring& bar_separated);

}  // namespace petariko
