#include "app/qt/desktop_program.h"

#include "app/program_paths.h"
#include "app/qt/property_sheet.h"
#include "app/qt/qt_shell.h"
#include "app/settings_file.h"
#include "common/state.h"
#include "dupes/duplicate_table.h"

namespace {

// Installs a shell for one scope.
class ShellInstalled {
 public:
  explicit ShellInstalled(Shell& shell) { setShell(&shell); }
  ~ShellInstalled() { setShell(nullptr); }
  ShellInstalled(const ShellInstalled&) = delete;
  ShellInstalled& operator=(const ShellInstalled&) = delete;
};

}  // namespace

int runDesktopProgram(QtShell& shell) {
  ShellInstalled installed(shell);
  initProgramPaths();
  if (!allocateWorkBuffer()) {
    showMessage("zu wenig Speicher!", "FEHLER!");
    return 0;
  }
  loadSettings();
  {
    PropertySheet sheet(shell);
    sheet.exec();
  }
  saveSettings();
  freeDuplicateStorage();
  checksumBuffer.reset();
  return 0;
}
