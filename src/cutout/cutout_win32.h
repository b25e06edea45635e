// The desktop side of the cut-out's save.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

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

// The dialog's filter: the displayed pattern pairs separated by "|" become NUL-separated,
// with the double NUL the dialog needs at the end.
std::wstring DialogFilter(const std::wstring& bar_separated);

}  // namespace petariko
