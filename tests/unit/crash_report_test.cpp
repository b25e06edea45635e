#include "core/crash_report.h"

#include <gtest/gtest.h>

namespace petariko {
namespace {

constexpr CrashTime kTime{2024, 3, 9, 7, 5, 1};

TEST(CrashReportTest, FailedOperationWithErrorTextStackAndDump) {
  CrashFacts facts;
  facts.version = "1.0";
  facts.time = kTime;
  facts.process_id = 4242;
  facts.operation = "SetTimer";
  facts.error = 8;
  facts.error_text = "メモリが足りません。";
  facts.stack = {0x1a2b, 0x30};
  facts.dump_name = CrashFileStem(kTime, 4242) + ".dmp";
  EXPECT_EQ(CrashReportText(facts),
            "\xEF\xBB\xBFPetariko crash report\r\n"
            "Version: 1.0\r\n"
            "Time: 2024-03-09 07:05:01\r\n"
            "Process: 4242\r\n"
            "Operation: SetTimer\r\n"
            "Error: 8 メモリが足りません。\r\n"
            "Stack: petariko.exe+0x1a2b petariko.exe+0x30\r\n"
            "Minidump: petariko-20240309-070501-4242.dmp\r\n");
}

TEST(CrashReportTest, StructuredExceptionWithoutDump) {
  CrashFacts facts;
  facts.version = "1.0";
  facts.time = kTime;
  facts.exception_code = 0xC0000005;
  facts.exception_offset = 0x1530;
  const std::string text = CrashReportText(facts);
  EXPECT_NE(text.find("\r\nStructured exception: 0xC0000005 at petariko.exe+0x1530\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\nMinidump: (none)\r\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("Error:"), std::string::npos) << text;
}

TEST(CrashReportTest, ProgramStackStartsAtTheExceptionAndKeepsTheProgramsFramesInTheirCalls) {
  const std::uint64_t base = 0x140000000, size = 0x10000;
  // The handler's own frame, a system frame, the faulting instruction, a caller, then the
  // frames just below, at the end of and just past the image.
  const std::vector<std::uint64_t> frames = {base + 0x900, 0x7b000010,      base + 0x1530, base + 0x155a,
                                             base - 1,     base + size - 1, base + size};
  EXPECT_EQ(ProgramStack(frames, base + 0x1530, base, size), (std::vector<std::uint64_t>{0x1530, 0x1559, 0xfffe}));
  // A C++ throw: the exception's address is the system's; only return addresses follow.
  EXPECT_EQ(ProgramStack(frames, 0x7b000010, base, size), (std::vector<std::uint64_t>{0x152f, 0x1559, 0xfffe}));
  // Not found: every frame of the program.
  EXPECT_EQ(ProgramStack(frames, 1, base, size), (std::vector<std::uint64_t>{0x8ff, 0x152f, 0x1559, 0xfffe}));
}

}  // namespace
}  // namespace petariko
