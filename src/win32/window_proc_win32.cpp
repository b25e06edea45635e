#include "win32/window_proc_win32.h"

#include <utility>

namespace petariko {
namespace {

// The one piece of process-wide state: what the application does when it must end at once.
std::function<void()>& Trap() {
  static std::function<void()> trap;
  return trap;
}

}  // namespace

void SetErrorTrap(std::function<void()> trap) { Trap() = std::move(trap); }

void RunErrorTrap() noexcept {
  // A failure inside the trap itself must not recurse into it.
  static bool running = false;
  if (!running) {
    running = true;
    try {
      if (Trap()) Trap()();
    } catch (...) {
    }
  }
  ExitProcess(1);
}

}  // namespace petariko
