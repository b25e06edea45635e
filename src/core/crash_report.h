// The report the error trap leaves when it ends the program: a short text the user can send,
// beside a minidump. Addresses are offsets into petariko.exe, so that they can be looked up in
// the release's debug symbols wherever the system loaded the program.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace petariko {

// The user's local time when the report was written.
struct CrashTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Everything the trap knows about the failure. Text is UTF-8.
struct CrashFacts {
  std::string version;
  CrashTime time;
  unsigned long process_id = 0;
  // A checked Windows operation that failed, with the system's error number and its text.
  std::string operation;
  std::optional<std::uint32_t> error;
  std::string error_text;
  // Any other C++ exception: its type and message.
  std::string exception;
  // A structured exception (an access violation, say): its code and the offset of the
  // instruction that raised it, when that lies in the program.
  std::optional<std::uint32_t> exception_code;
  std::optional<std::uint64_t> exception_offset;
  // Where the program was, innermost first: offsets of the failing instruction or of the call.
  std::vector<std::uint64_t> stack;
  // The minidump's file name beside the report; empty when none could be written.
  std::string dump_name;
};

// The name the report and its minidump share, without extension: one per process and second.
std::string CrashFileStem(const CrashTime& time, unsigned long process_id);

// The report's bytes: UTF-8 with a byte-order mark and CR LF line ends, as Notepad reads them
// on any system.
std::string CrashReportText(const CrashFacts& facts);

// The program's part of a stack walk taken inside the exception's handling: the frames from the
// one at `exception_address` on (all frames when it is not among them), those that lie in the
// program's image, as offsets. Every frame but the exception's own is a return address and is
// moved back into its call.
std::vector<std::uint64_t> ProgramStack(const std::vector<std::uint64_t>& frames, std::uint64_t exception_address,
                                        std::uint64_t image_base, std::uint64_t image_size);

}  // namespace petariko
