// The error trap's report on disk: what failed, where, and a minidump, in a folder of the user's
// local application data, for the user to send.
#pragma once

#include <windows.h>

#include <string>

namespace petariko {

// From now on, remembers where each C++ exception thrown on the calling thread came from: by the
// time the trap catches one, the frames that threw it are gone.
void RecordThrowsOnThisThread();

// Whether `address` lies in petariko.exe's own image.
bool InProgram(const void* address);

// Writes the report of the failure being handled (the current C++ exception, or `structured`)
// and its minidump. Returns the folder they are in, or "" when nothing could be written.
std::wstring WriteCrashReport(EXCEPTION_POINTERS* structured) noexcept;

}  // namespace petariko
