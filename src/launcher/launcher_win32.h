// The launcher's desktop side: file search, shell open, plain process start and the wait.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "core/gesture_hooks.h"
#include "core/user_messages.h"
#include "launcher/launcher.h"

namespace petariko {

class Win32LauncherPorts : public LauncherPorts {
 public:
  // `hide_main_window` hides the window the gesture was drawn on; it may be empty.
  explicit Win32LauncherPorts(std::function<void()> hide_main_window)
      : hide_main_window_(std::move(hide_main_window)) {}

  bool FindFile(const std::wstring& name) override;
  ShellResult ShellOpen(const ShellRequest& request) override;
  std::uint32_t RunCommandLine(const std::wstring& command_line) override;
  ProcessRef OpenProcessForQuery(std::uint32_t process_id) override;
  std::optional<std::uint32_t> ExitCode(ProcessRef process) override;
  void CloseProcess(ProcessRef process) override;
  void PumpEvents() override;
  void SleepMilliseconds(int milliseconds) override;
  void HideMainWindow() override;

 private:
  std::function<void()> hide_main_window_;
};

// Starts a matched gesture's program: a fresh launcher per launch, never waiting. A line that
// cannot be started is named in a message.
class ShellProgramLauncher : public ProgramLauncher {
 public:
  ShellProgramLauncher(std::function<void()> hide_main_window, UserMessages& messages)
      : hide_main_window_(std::move(hide_main_window)), messages_(messages) {}
  void Launch(const std::wstring& command_line) override;
  // True while a launch looks for its file: its path probes run the program's messages meanwhile
  // (a share that does not answer keeps them waiting), and the message that follows is not part
  // of it. The program's end during a probe ends the launch with nothing started.
  bool Launching() const { return launching_; }

 private:
  std::function<void()> hide_main_window_;
  UserMessages& messages_;
  bool launching_ = false;
};

}  // namespace petariko
