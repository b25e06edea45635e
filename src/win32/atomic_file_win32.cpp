#include "win32/atomic_file_win32.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

#include "core/temporary_path.h"
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

// The handle of a new temporary file beside the target (see TemporaryPathFor), and its path.
UniqueKernelHandle CreateTemporary(const std::wstring& path, std::wstring& temp) {
  // The process id keeps two instances in other sessions apart; the folder makes the final move a
  // rename on the same volume.
  const auto id = static_cast<unsigned>(GetCurrentProcessId());
  for (unsigned attempt = 0; attempt < 36; ++attempt) {
    temp = TemporaryPathFor(path, id, attempt);
    // A short name may be another file's: it is only ever made new. The usual one is ours.
    const bool short_name = temp.size() <= path.size();
    UniqueKernelHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr,
                                        short_name ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() != INVALID_HANDLE_VALUE || !short_name || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return UniqueKernelHandle(INVALID_HANDLE_VALUE);
}

// A virus scanner, the search indexer or a cloud folder opens a fresh file for a moment, and the
// move over the target then fails with a sharing violation or a denied access (a file that is
// open at all, under Wine). Such a hold passes within a moment, so the move is tried again for
// about half a second before the save counts as failed.
bool MoveOver(const std::wstring& temp, const std::wstring& path) {
  static constexpr DWORD kPausesMs[] = {10, 20, 40, 80, 150, 200};
  for (std::size_t i = 0;; ++i) {
    if (InjectedFault("MoveFileExW")) return false;
    if (MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD error = GetLastError();
    const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
    if (!held || i == std::size(kPausesMs)) return false;
    Sleep(kPausesMs[i]);
  }
}

}  // namespace

bool WriteFileAtomically(const std::wstring& path, const std::function<bool(ByteSink&)>& produce) {
  std::wstring temp;
  const bool replaces = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  bool ok = false;
  {
    if (InjectedFault("CreateFileW")) return false;
    UniqueKernelHandle file = CreateTemporary(path, temp);
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
  ok = ok && MoveOver(temp, path);
  if (!ok) DeleteFileW(temp.c_str());
  return ok;
}

}  // namespace petariko
