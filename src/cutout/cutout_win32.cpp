#include "cutout/cutout_win32.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "core/message_box_win32.h"
#include "core/ui_strings.h"
#include "core/handles_win32.h"

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
  ofn.Flags = OFN_HIDEREADONLY | OFN_EXPLORER;
  if (!GetSaveFileNameW(&ofn)) return std::nullopt;
  return std::wstring(path.data());
}

namespace {

class HandleSink : public ByteSink {
 public:
  explicit HandleSink(HANDLE file) : file_(file) {}
  bool Write(std::span<const std::uint8_t> bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
      DWORD written = 0;
      if (!::WriteFile(file_, bytes.data() + done, chunk, &written, nullptr) || written != chunk) return false;
      done += written;
    }
    return true;
  }

 private:
  HANDLE file_;
};

}  // namespace

bool Win32FileWriter::WriteFile(const std::wstring& path, const std::function<bool(ByteSink&)>& produce) {
  UniqueKernelHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return false;
  bool ok = false;
  try {
    HandleSink sink(file.get());
    ok = produce(sink);
  } catch (...) {
    ok = false;
  }
  ok = CloseHandle(file.release()) && ok;
  // A cut-off picture is worse than none: it would look saved.
  if (!ok) DeleteFileW(path.c_str());
  return ok;
}

void MessageBoxMessages::Show(const std::wstring& text, const std::wstring& title) {
  ShowMessageBox(nullptr, text, title.c_str(), MB_OK);
}

}  // namespace petariko
