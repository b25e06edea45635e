#include "launcher/launcher.h"

#include "core/ui_strings.h"

namespace petariko {

namespace {

// Characters of a failed line shown from each end.
constexpr std::size_t kShownEnd = 120;

// Closes a process handle through the ports however the wait ends.
class ProcessGuard {
 public:
  ProcessGuard(LauncherPorts& ports, ProcessRef process) : ports_(ports), process_(process) {}
  ProcessGuard(const ProcessGuard&) = delete;
  ProcessGuard& operator=(const ProcessGuard&) = delete;
  ~ProcessGuard() {
    if (process_ != 0) ports_.CloseProcess(process_);
  }
  ProcessRef get() const { return process_; }

 private:
  LauncherPorts& ports_;
  ProcessRef process_;
};

// Polls every 100 ms until the process has ended or the launcher is gone. Touches only its
// arguments: the events it lets run may have destroyed the launcher.
void WaitForEnd(LauncherPorts& ports, ProcessRef process, const std::shared_ptr<bool>& terminate) {
  ProcessGuard guard(ports, process);
  std::uint32_t exit_code = 0;  // stays 0 for a bad handle, which ends the wait after one pass
  do {
    if (auto code = ports.ExitCode(guard.get())) exit_code = *code;
    ports.PumpEvents();
    ports.SleepMilliseconds(100);
    if (*terminate) break;
  } while (exit_code == kStillActive);
}

}  // namespace

std::wstring LaunchFailedText(const std::wstring& command_line) {
  std::wstring shown = command_line;
  if (shown.size() > 2 * kShownEnd + 1) {
    shown = command_line.substr(0, kShownEnd) + L"…" + command_line.substr(command_line.size() - kShownEnd);
  }
  return std::wstring(ui::kLaunchFailed) + L"\r\n" + shown;
}

cExecute::cExecute(LauncherPorts& ports) : ports_(ports), blnTerminate(std::make_shared<bool>(false)) {}

cExecute::~cExecute() { *blnTerminate = true; }

bool cExecute::SearchFile(const std::wstring& name, LauncherPorts& ports) { return ports.FindFile(name); }

CommandSplit cExecute::Split(const std::wstring& command_line, LauncherPorts& ports) {
  if (SearchFile(command_line, ports)) return {command_line, std::nullopt};

  // 1-based positions, as the pieces are described by the space that ends them.
  auto is_space = [&](int position) { return command_line[position - 1] == L' '; };
  int index = static_cast<int>(command_line.size());
  auto move_left_to_space = [&] {
    while (index > 0 && !is_space(index)) --index;
  };

  // Longest piece first: a program path with spaces wins over a shorter prefix of it.
  move_left_to_space();
  while (index > 1) {
    std::wstring piece = command_line.substr(0, index - 1);
    if (SearchFile(piece, ports)) return {std::move(piece), command_line.substr(index)};
    --index;
    if (index > 1) move_left_to_space();
  }
  return {command_line, std::nullopt};
}

std::optional<std::wstring> cExecute::QuoteParameters(const std::optional<std::wstring>& parameters) {
  // With nothing after the file, no parameter is passed: a lone quote would reach the
  // program as a spurious argument.
  if (!parameters) return std::nullopt;
  return L"\"" + *parameters + L"\"";
}

bool cExecute::ShellX(const std::wstring& command_line, int window_style, std::uintptr_t owner_window, bool wait) {
  // Locals only from here on: a wait lets events run that may release this object.
  LauncherPorts& ports = ports_;
  const std::shared_ptr<bool> terminate = blnTerminate;

  ports.HideMainWindow();

  // A NUL would cut the line short for the system, which would then start something other
  // than what the user was shown; an overlong line is beyond the split.
  if (command_line.empty() || command_line.size() > kMaxCommandLine || command_line.find(L'\0') != std::wstring::npos) {
    return false;
  }

  CommandSplit split = Split(command_line, ports);
  ShellRequest request;
  request.file = std::move(split.file);
  request.parameters = QuoteParameters(split.parameters);
  request.show = window_style;
  request.owner = owner_window;
  request.keep_process = wait;

  const ShellResult shell = request.file.size() <= kMaxShellFile ? ports.ShellOpen(request) : ShellResult{};
  declined_ = shell.declined;  // before any wait, which may release this object
  if (shell.ok) {
    if (wait) WaitForEnd(ports, shell.process, terminate);
    return true;
  }

  // The shell refused: run the line the plain way, as the user might have typed it.
  std::uint32_t process_id = ports.RunCommandLine(command_line);
  if (process_id == 0) return false;
  if (wait) WaitForEnd(ports, ports.OpenProcessForQuery(process_id), terminate);
  return true;
}

}  // namespace petariko
