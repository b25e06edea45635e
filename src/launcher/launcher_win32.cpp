#include "launcher/launcher_win32.h"

#include <shellapi.h>

#include <vector>

#include "core/ui_strings.h"
#include "win32/handles_win32.h"
#include "win32/path_probe_win32.h"

namespace petariko {

namespace {

// The search buffer is never read; a result longer than it still means "found".
constexpr DWORD kSearchBufferLength = 261;

HANDLE ToHandle(ProcessRef process) { return reinterpret_cast<HANDLE>(process); }

// A program may take the foreground only when the foreground's process lets it. The frozen
// screen is gone by now, but this process had the user's last input (the release), so it passes
// that right on to whatever the shell starts or wakes (a document may open in a program that
// already runs, so no one process id would do). Naming one process after this would take the
// right from all others. Without the right to pass, the call fails and changes nothing.
void LetStartedProgramComeToFront() { AllowSetForegroundWindow(ASFW_ANY); }

// Asked on a thread of its own (ProbePathAnswering), with nothing that needs freeing.
bool SearchPathFinds(const std::wstring& name) {
  wchar_t buffer[kSearchBufferLength];
  wchar_t* file_part = nullptr;
  // No default extension: "notepad" alone is not a file, so the shell or the plain run decides.
  return SearchPathW(nullptr, name.c_str(), nullptr, kSearchBufferLength, buffer, &file_part) != 0;
}

}  // namespace

bool Win32LauncherPorts::FindFile(const std::wstring& name) {
  return ProbePathAnswering("FindFile", SearchPathFinds, name);
}

ShellResult Win32LauncherPorts::ShellOpen(const ShellRequest& request) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  // NOASYNC: the call returns only when the shell is done, since nothing pumps for it after.
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC | (request.keep_process ? SEE_MASK_NOCLOSEPROCESS : 0);
  info.hwnd = reinterpret_cast<HWND>(request.owner);
  info.lpVerb = L"open";
  info.lpFile = request.file.c_str();
  info.lpParameters = request.parameters ? request.parameters->c_str() : nullptr;
  info.lpDirectory = nullptr;
  info.nShow = request.show;
  LetStartedProgramComeToFront();
  if (InjectedFault("ShellExecuteExW")) return {};
  if (!ShellExecuteExW(&info)) {
    // ERROR_CANCELLED: the user said no to the shell's prompt, the elevation prompt above all.
    return {.declined = GetLastError() == ERROR_CANCELLED};
  }
  return {true, request.keep_process ? reinterpret_cast<ProcessRef>(info.hProcess) : 0};
}

std::uint32_t Win32LauncherPorts::RunCommandLine(const std::wstring& command_line) {
  // CreateProcessW may write into the command line, so it gets its own copy.
  std::vector<wchar_t> line(command_line.begin(), command_line.end());
  line.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION info{};
  LetStartedProgramComeToFront();
  if (InjectedFault("CreateProcessW") ||
      !CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return 0;
  }
  UniqueKernelHandle process(info.hProcess);
  UniqueKernelHandle thread(info.hThread);
  return info.dwProcessId;
}

ProcessRef Win32LauncherPorts::OpenProcessForQuery(std::uint32_t process_id) {
  return reinterpret_cast<ProcessRef>(OpenProcess(PROCESS_QUERY_INFORMATION, TRUE, process_id));
}

std::optional<std::uint32_t> Win32LauncherPorts::ExitCode(ProcessRef process) {
  DWORD code = 0;
  if (!GetExitCodeProcess(ToHandle(process), &code)) return std::nullopt;
  return code;
}

void Win32LauncherPorts::CloseProcess(ProcessRef process) { UniqueKernelHandle closing(ToHandle(process)); }

void Win32LauncherPorts::PumpEvents() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Leave the quit for the main loop, which owns the shutdown.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void Win32LauncherPorts::SleepMilliseconds(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

void Win32LauncherPorts::HideMainWindow() {
  if (hide_main_window_) hide_main_window_();
}

void ShellProgramLauncher::Launch(const std::wstring& command_line) {
  Win32LauncherPorts ports(hide_main_window_);
  cExecute launcher(ports);
  bool started = false;
  {
    launching_ = true;
    const struct Done {
      bool& launching;
      ~Done() { launching = false; }
    } done{launching_};
    try {
      started = launcher.ShellX(command_line, SW_SHOWNORMAL, 0, false);
    } catch (const ProbeAbandoned&) {
      return;  // the program ends: nothing more is started
    }
  }
  if (!started && !launcher.UserDeclined()) messages_.Show(LaunchFailedText(command_line), ui::kTitleError);
}

}  // namespace petariko
