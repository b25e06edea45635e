#include "win32/fault_injection_win32.h"

#ifdef PETARIKO_FAULT_INJECTION

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "win32/crash_report_win32.h"

namespace petariko {
namespace {

std::string ReadAll(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The fault file's orders: one failing call, one failure to raise, one slow probe.
struct Orders {
  std::string operation;
  int nth = 0;
  std::string raise;
  std::string slow_probe;
  int slow_ms = 0;
};

Orders ReadOrders(const std::string& text) {
  Orders orders;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string first, second;
    fields >> first >> second;
    if (first.starts_with('#')) continue;  // a note, such as the serial that makes a repeated order new
    if (first == "raise") {
      orders.raise = second;
    } else if (first == "slow") {
      orders.slow_probe = second;
      fields >> orders.slow_ms;
    } else if (!first.empty()) {
      orders.operation = first;
      orders.nth = std::atoi(second.c_str());
    }
  }
  return orders;
}

struct UnexpectedFailure {};

// A recursion the optimizer cannot turn into a loop: each call keeps a page of its own, which
// the inner call reads and which is read again after it returns.
[[gnu::noinline]] int Deeper(volatile char* outer) {
  volatile char page[4096];
  page[0] = static_cast<char>(outer ? outer[0] + 1 : 0);
  page[1] = 0;
  if (page[1] != 0) return 0;  // never, but the optimizer cannot know: no endless recursion warned of
  return Deeper(page) + page[0];
}

}  // namespace

bool InjectedFault(const char* operation) {
  static std::string fault_file_text;
  static std::map<std::string, int> counts;
  const char* fault_path = std::getenv("PETARIKO_FAULT_FILE");
  const char* log_path = std::getenv("PETARIKO_FAULT_LOG");
  if (!fault_path) return false;
  const std::string now = ReadAll(fault_path);
  if (now != fault_file_text) {
    fault_file_text = now;
    counts.clear();
  }
  const int count = ++counts[operation];
  const Orders orders = ReadOrders(fault_file_text);
  const bool fail = orders.operation == operation && orders.nth == count;
  if (log_path) {
    std::ofstream log(log_path, std::ios::app);
    log << (fail ? "injected " : "call ") << operation << ' ' << count << '\n';
  }
  if (fail) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return fail;
}

int InjectedDelay(const char* probe) {
  const char* fault_path = std::getenv("PETARIKO_FAULT_FILE");
  if (!fault_path) return 0;
  const Orders orders = ReadOrders(ReadAll(fault_path));
  return orders.slow_probe == probe ? orders.slow_ms : 0;
}

void RaiseOrderedFailure() {
  const char* fault_path = std::getenv("PETARIKO_FAULT_FILE");
  if (!fault_path) return;
  const std::string kind = ReadOrders(ReadAll(fault_path)).raise;
  if (kind == "access-violation") {
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
  } else if (kind == "stack-overflow") {
    Deeper(nullptr);
  } else if (kind == "unknown-exception") {
    throw UnexpectedFailure{};
  } else if (kind == "heap-corruption") {
    RaiseException(kStatusHeapCorruption, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  }
}

}  // namespace petariko

#endif
