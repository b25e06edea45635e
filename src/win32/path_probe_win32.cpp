#include "win32/path_probe_win32.h"

#include <windows.h>

#include <atomic>
#include <memory>

#include "win32/dialog_kit_win32.h"
#include "win32/handles_win32.h"

namespace petariko {
namespace {

// Shared by the waiting thread and the probing one: whichever ends last frees it, so that a wait
// given up at the program's end leaves the probe nothing that dies under it.
struct Probe {
  bool (*ask)(const std::wstring&);
  std::wstring path;
  int delay_ms;  // the test build's slow order
  std::atomic<bool> answer{false};

  void Run() {
    if (delay_ms > 0) Sleep(static_cast<DWORD>(delay_ms));
    answer = ask(path);
  }
};

DWORD WINAPI ProbeThread(void* parameter) {
  const std::unique_ptr<std::shared_ptr<Probe>> probe(static_cast<std::shared_ptr<Probe>*>(parameter));
  (*probe)->Run();
  return 0;
}

// Runs the messages that arrived, as the main loop would; false when one was WM_QUIT.
bool RunArrivedMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    if (dialog::TranslateDialogMessage(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return true;
}

}  // namespace

bool ProbePathAnswering(const char* kind, bool (*probe)(const std::wstring& path), std::wstring path) {
  auto shared = std::make_shared<Probe>(probe, std::move(path), InjectedDelay(kind));
  auto thread_copy = std::make_unique<std::shared_ptr<Probe>>(shared);
  UniqueKernelHandle thread;
  if (!InjectedFault("CreateThread")) {
    thread.reset(CreateThread(nullptr, 0, ProbeThread, thread_copy.get(), 0, nullptr));
  }
  if (!thread) {
    shared->Run();  // the old way: no answers meanwhile, but the same answer
    return shared->answer;
  }
  thread_copy.release();  // the thread's own now
  HANDLE handle = thread.get();
  for (;;) {
    const DWORD woke = MsgWaitForMultipleObjectsEx(1, &handle, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_OBJECT_0) break;
    if (woke != WAIT_OBJECT_0 + 1) {
      // The wait itself failed: wait the old way rather than spin.
      WaitForSingleObject(handle, INFINITE);
      break;
    }
    if (!RunArrivedMessages()) throw ProbeAbandoned();
  }
  return shared->answer;
}

}  // namespace petariko
