#include "core/crash_report.h"

#include <cstdio>

namespace petariko {

namespace {

std::string Offset(std::uint64_t offset) {
  char buffer[40];
  std::snprintf(buffer, sizeof(buffer), "petariko.exe+0x%llx", static_cast<unsigned long long>(offset));
  return buffer;
}

}  // namespace

std::string CrashFileStem(const CrashTime& t, unsigned long process_id) {
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), "petariko-%04d%02d%02d-%02d%02d%02d-%lu", t.year, t.month, t.day, t.hour,
                t.minute, t.second, process_id);
  return buffer;
}

std::string CrashReportText(const CrashFacts& facts) {
  std::string text = "\xEF\xBB\xBF";
  auto line = [&text](const std::string& key, const std::string& value) { text += key + ": " + value + "\r\n"; };
  text += "Petariko crash report\r\n";
  line("Version", facts.version);
  const CrashTime& t = facts.time;
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  line("Time", buffer);
  line("Process", std::to_string(facts.process_id));
  if (!facts.operation.empty()) line("Operation", facts.operation);
  if (facts.error) {
    line("Error", std::to_string(*facts.error) + (facts.error_text.empty() ? "" : " " + facts.error_text));
  }
  if (!facts.exception.empty()) line("Exception", facts.exception);
  if (facts.exception_code) {
    std::snprintf(buffer, sizeof(buffer), "0x%08lX", static_cast<unsigned long>(*facts.exception_code));
    line("Structured exception",
         std::string(buffer) + (facts.exception_offset ? " at " + Offset(*facts.exception_offset) : ""));
  }
  std::string stack;
  for (const std::uint64_t offset : facts.stack) {
    if (!stack.empty()) stack += ' ';
    stack += Offset(offset);
  }
  if (!stack.empty()) line("Stack", stack);
  line("Minidump", facts.dump_name.empty() ? "(none)" : facts.dump_name);
  return text;
}

std::vector<std::uint64_t> ProgramStack(const std::vector<std::uint64_t>& frames, std::uint64_t exception_address,
                                        std::uint64_t image_base, std::uint64_t image_size) {
  size_t first = 0;
  while (first < frames.size() && frames[first] != exception_address) ++first;
  if (first == frames.size()) first = 0;
  std::vector<std::uint64_t> stack;
  for (size_t i = first; i < frames.size(); ++i) {
    if (frames[i] < image_base || frames[i] - image_base >= image_size) continue;
    const std::uint64_t offset = frames[i] - image_base;
    stack.push_back(frames[i] == exception_address || offset == 0 ? offset : offset - 1);
  }
  return stack;
}

}  // namespace petariko
