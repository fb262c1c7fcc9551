// liedkorb.exe: the entry procedure of the Windows program.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/program_paths.h"
#include "app/settings_file.h"
#include "app/win32/property_sheet.h"
#include "app/win32/win32_shell.h"
#include "common/shell.h"
#include "common/state.h"
#include "dupes/duplicate_table.h"

namespace {

// Kept for the page templates, which live in the program's own resources.
HINSTANCE programInstance = nullptr;

Win32Shell win32Shell;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  programInstance = instance;
  setShell(&win32Shell);
  // Beside the program, named after it: D:\Tools\sorter.exe keeps its
  // settings in D:\Tools\sorter.INI and logs to D:\Tools\sorter.LOG.
  initProgramPaths();
  if (!allocateWorkBuffer()) {
    showMessage("zu wenig Speicher!", "FEHLER!");
    return 0;
  }

  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  // The folder browser is a shell dialog and wants COM on this thread.
  HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

  loadSettings();
  showPropertySheet(programInstance);
  saveSettings();

  freeDuplicateStorage();
  checksumBuffer.reset();
  if (SUCCEEDED(com)) ::CoUninitialize();
  setShell(nullptr);
  return 0;
}
