#include "win32/atomic_file_win32.h"

#include <windows.h>

#include <algorithm>

#include "win32/handles_win32.h"

namespace petariko {
namespace {

class HandleSink : public ByteSink {
 public:
  explicit HandleSink(HANDLE file) : file_(file) {}
  bool Write(std::span<const std::uint8_t> bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
      DWORD written = 0;
      if (InjectedFault("WriteFile") || !::WriteFile(file_, bytes.data() + done, chunk, &written, nullptr) ||
          written != chunk) {
        return false;
      }
      done += written;
    }
    return true;
  }

 private:
  HANDLE file_;
};

// Beside the target, so that the final move is a rename on the same volume; the process id
// keeps two instances in other sessions apart.
std::wstring TemporaryPathFor(const std::wstring& path) {
  return path + L".~" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
}

}  // namespace

bool WriteFileAtomically(const std::wstring& path, const std::function<bool(ByteSink&)>& produce) {
  const std::wstring temp = TemporaryPathFor(path);
  const bool replaces = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  bool ok = false;
  {
    if (InjectedFault("CreateFileW")) return false;
    UniqueKernelHandle file(
        CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return false;
    try {
      HandleSink sink(file.get());
      ok = produce(sink);
    } catch (const ActionFailed&) {
      ok = false;
    }
    // Over an existing file the data must be on the disk before the name points at it, or a
    // power cut could leave neither the old picture nor the new; a new name risks nothing.
    ok = ok && (!replaces || FlushFileBuffers(file.get()));
    ok = CloseHandle(file.release()) && ok;
  }
  if (ok)
    ok = !InjectedFault("MoveFileExW") &&
         MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  if (!ok) DeleteFileW(temp.c_str());
  return ok;
}

}  // namespace petariko
