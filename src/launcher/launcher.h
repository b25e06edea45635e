// Starts a registered command line: works out where the file name ends, asks the shell to
// open it, and falls back to running the whole line as a command.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace petariko {

// An opaque process handle as the desktop hands it out; 0 means none.
using ProcessRef = std::uintptr_t;

inline constexpr std::uint32_t kStillActive = 259;
// The split position is a 16-bit index; longer lines are never launched.
inline constexpr std::size_t kMaxCommandLine = 32767;
// The longest file name the shell is asked to open (the classic path limit); a longer one is
// refused by it, or worse, and is run the plain way instead.
inline constexpr std::size_t kMaxShellFile = 259;

// What the user is told when a registered line could not be started: the line itself, its
// middle left out when it is too long for a message box.
std::wstring LaunchFailedText(const std::wstring& command_line);

// What the shell is asked to open.
struct ShellRequest {
  std::wstring file;
  // nullopt passes no parameters at all; a value is passed as is (already quoted).
  std::optional<std::wstring> parameters;
  int show = 0;               // SW_ show state
  std::uintptr_t owner = 0;   // owner window, 0 for none
  bool keep_process = false;  // return the process handle for a wait
};

struct ShellResult {
  bool ok = false;
  ProcessRef process = 0;  // only when keep_process was asked for and the shell gave one
  bool declined = false;   // not ok because the user said no to the shell's prompt (elevation)
};

// What the launcher needs from the desktop.
class LauncherPorts {
 public:
  virtual ~LauncherPorts() = default;
  // The system's file search in its default order, without adding an extension.
  virtual bool FindFile(const std::wstring& name) = 0;
  virtual ShellResult ShellOpen(const ShellRequest& request) = 0;
  // Runs the line as a command in a normal, focused window; returns the process id or 0.
  virtual std::uint32_t RunCommandLine(const std::wstring& command_line) = 0;
  virtual ProcessRef OpenProcessForQuery(std::uint32_t process_id) = 0;  // 0 on failure
  // The exit code, or nullopt when it cannot be read (a bad handle).
  virtual std::optional<std::uint32_t> ExitCode(ProcessRef process) = 0;
  virtual void CloseProcess(ProcessRef process) = 0;
  virtual void PumpEvents() = 0;
  virtual void SleepMilliseconds(int milliseconds) = 0;
  virtual void HideMainWindow() = 0;
};

// Where the file name of a command line ends, and what is passed as parameters.
struct CommandSplit {
  std::wstring file;
  // nullopt: nothing follows the file. An empty string: the line ends in the space after it.
  std::optional<std::wstring> parameters;
};

// One launch. Created per launch and released right after.
class cExecute {
 public:
  explicit cExecute(LauncherPorts& ports);
  ~cExecute();
  cExecute(const cExecute&) = delete;
  cExecute& operator=(const cExecute&) = delete;

  // True when a process was started. With `wait` it returns only after the process ended,
  // or after this object was destroyed by an event handled during the wait.
  bool ShellX(const std::wstring& command_line, int window_style, std::uintptr_t owner_window, bool wait);
  // True when the last ShellX started nothing because the user said no to the shell's prompt,
  // such as the elevation prompt of a program that runs as administrator: a choice, not a
  // failure to tell the user about.
  bool UserDeclined() const { return declined_; }

  // Where the file name of a line ends, asking the file search as ShellX does.
  static CommandSplit Split(const std::wstring& command_line, LauncherPorts& ports);
  // The parameter text handed to the shell for a split, or nullopt for none.
  static std::optional<std::wstring> QuoteParameters(const std::optional<std::wstring>& parameters);

 private:
  static bool SearchFile(const std::wstring& name, LauncherPorts& ports);

  LauncherPorts& ports_;
  // Shared with a running wait, which must see the destruction without touching this object.
  std::shared_ptr<bool> blnTerminate;
  bool declined_ = false;
};

}  // namespace petariko
