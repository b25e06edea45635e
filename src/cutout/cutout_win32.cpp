#include "cutout/cutout_win32.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "core/ui_strings.h"
#include "win32/atomic_file_win32.h"
#include "win32/current_directory_win32.h"
#include "win32/handles_win32.h"

namespace petariko {
namespace {

// Long paths fit; a name the user types beyond this makes the dialog fail, which ends the
// save like a cancel.
constexpr DWORD kPathBufferSize = 4096;

}  // namespace

std::wstring DialogFilter(const std::wstring& bar_separated) {
  std::wstring filter = bar_separated;
  for (wchar_t& c : filter) {
    if (c == L'|') c = L'\0';
  }
  filter.push_back(L'\0');
  return filter;
}

std::optional<std::wstring> Win32SaveDialog::Ask(const std::wstring& initial_name) {
  std::vector<wchar_t> path(kPathBufferSize, L'\0');
  initial_name.copy(path.data(), std::min<std::size_t>(initial_name.size(), path.size() - 1));
  const std::wstring filter = DialogFilter(ui::kSaveFilter);

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner_;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path.data();
  ofn.nMaxFile = kPathBufferSize;
  // No OFN_OVERWRITEPROMPT and no default extension: the name is used exactly as typed.
  ofn.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_NOCHANGEDIR;
  ScopedCurrentDirectory keep_directory;
  if (!GetSaveFileNameW(&ofn)) return std::nullopt;
  return std::wstring(path.data());
}

bool Win32FileWriter::WriteFile(const std::wstring& path, const std::function<bool(ByteSink&)>& produce) {
  return WriteFileAtomically(path, produce);
}

}  // namespace petariko
