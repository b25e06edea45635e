#include "win32/fault_injection_win32.h"

#ifdef PETARIKO_FAULT_INJECTION

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace petariko {
namespace {

std::string ReadAll(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

bool InjectedFault(const char* operation) {
  static std::string spec;
  static std::map<std::string, int> counts;
  const char* spec_path = std::getenv("PETARIKO_FAULT_FILE");
  const char* log_path = std::getenv("PETARIKO_FAULT_LOG");
  if (!spec_path) return false;
  const std::string now = ReadAll(spec_path);
  if (now != spec) {
    spec = now;
    counts.clear();
  }
  const int count = ++counts[operation];
  std::istringstream fields(spec);
  std::string target;
  int nth = 0;
  fields >> target >> nth;
  const bool fail = target == operation && nth == count;
  if (log_path) {
    std::ofstream log(log_path, std::ios::app);
    log << (fail ? "injected " : "call ") << operation << ' ' << count << '\n';
  }
  if (fail) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return fail;
}

}  // namespace petariko

#endif
