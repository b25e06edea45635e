// Start-up: one instance per user session, settings, tray icon, then the message loop.
#include <windows.h>
#include <objbase.h>

#include <optional>

#include "app/app_win32.h"
#include "core/settings_file.h"
#include "core/settings_file_win32.h"
#include "win32/dialog_kit_win32.h"
#include "win32/handles_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace petariko;
  // DLLs come from the system folder (and the program's own imports), never from the current
  // directory or the folder of a document the user opened.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  SetDllDirectoryW(L"");

  // "Local\" keeps the instance check inside the user's session. An instance run as
  // administrator made the mutex with a higher integrity: a normal start is then refused access
  // instead of handed the existing mutex, and that too means another instance runs.
  UniqueKernelHandle instance_mutex(CreateMutexW(nullptr, FALSE, L"Local\\Petariko.SingleInstance"));
  const DWORD mutex_error = GetLastError();
  if (mutex_error == ERROR_ALREADY_EXISTS || (!instance_mutex && mutex_error == ERROR_ACCESS_DENIED)) return 0;
  // Whatever fails from here on, the error trap has all it needs already.
  PrepareErrorTrap(instance_mutex.get());

  // One single-threaded apartment for the one user-interface thread, from start to end: the
  // shell and the file dialogs load their extensions through COM.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  struct ComApartment {
    bool entered;
    ~ComApartment() {
      if (entered) CoUninitialize();
    }
  } apartment{SUCCEEDED(com)};

  const std::wstring program_dir = ProgramDirectory();
  std::optional<StartupSettings> settings = LoadSettingsAtStartup(SettingsFilePath(program_dir));
  if (!settings) return 1;

  App app(instance, program_dir, std::move(settings->store));
  app.Start(settings->created);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (dialog::TranslateDialogMessage(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
