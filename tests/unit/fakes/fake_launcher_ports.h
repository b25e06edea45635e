// Scripted desktop for the launcher: records every call in order and answers from scripts.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "launcher/launcher.h"

namespace petariko::testing {

class FakeLauncherPorts : public LauncherPorts {
 public:
  // Names the file search finds.
  std::set<std::wstring> files;
  bool shell_ok = true;
  bool shell_declined = false;  // the user said no to the shell's prompt
  ProcessRef shell_process = 0;
  std::uint32_t run_process_id = 0;
  ProcessRef opened_process = 0;
  // Exit codes returned one per query; nullopt is a failed query. Empty: the process has ended.
  std::deque<std::optional<std::uint32_t>> exit_codes;
  std::function<void()> on_pump;  // runs inside PumpEvents

  std::vector<std::wstring> calls;  // "hide", "find:NAME", "shell", "run:LINE", ...
  std::vector<std::wstring> searched;
  std::vector<ShellRequest> shell_requests;
  std::vector<int> sleeps;
  std::vector<ProcessRef> closed;

  bool FindFile(const std::wstring& name) override {
    calls.push_back(L"find");
    searched.push_back(name);
    return files.contains(name);
  }
  ShellResult ShellOpen(const ShellRequest& request) override {
    calls.push_back(L"shell");
    shell_requests.push_back(request);
    return {shell_ok, request.keep_process ? shell_process : 0, shell_declined};
  }
  std::uint32_t RunCommandLine(const std::wstring& command_line) override {
    calls.push_back(L"run:" + command_line);
    return run_process_id;
  }
  ProcessRef OpenProcessForQuery(std::uint32_t process_id) override {
    calls.push_back(L"open:" + std::to_wstring(process_id));
    return opened_process;
  }
  std::optional<std::uint32_t> ExitCode(ProcessRef process) override {
    calls.push_back(L"exitcode:" + std::to_wstring(process));
    if (process == 0) return std::nullopt;
    if (exit_codes.empty()) return 0u;
    auto code = exit_codes.front();
    exit_codes.pop_front();
    return code;
  }
  void CloseProcess(ProcessRef process) override {
    calls.push_back(L"close");
    closed.push_back(process);
  }
  void PumpEvents() override {
    calls.push_back(L"pump");
    if (on_pump) on_pump();
  }
  void SleepMilliseconds(int milliseconds) override {
    calls.push_back(L"sleep");
    sleeps.push_back(milliseconds);
  }
  void HideMainWindow() override { calls.push_back(L"hide"); }
};

}  // namespace petariko::testing
