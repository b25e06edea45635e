// The process's current directory, kept where it was across a call that may move it: the file
// dialogs do (the open dialog even when told not to), and a folder left current can be neither
// removed nor ejected and would become the start folder of every program a gesture starts.
#pragma once

#include <windows.h>

#include <string>

namespace petariko {

class ScopedCurrentDirectory {
 public:
  ScopedCurrentDirectory() {
    const DWORD length = GetCurrentDirectoryW(0, nullptr);
    if (length == 0) return;
    saved_.resize(length);
    saved_.resize(GetCurrentDirectoryW(length, saved_.data()));
  }
  ~ScopedCurrentDirectory() {
    if (!saved_.empty()) SetCurrentDirectoryW(saved_.c_str());
  }
  ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
  ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

 private:
  std::wstring saved_;
};

}  // namespace petariko
