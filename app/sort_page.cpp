#include "app/sort_page.h"

#include <string>

#include "app/run_lock.h"
#include "common/controls.h"
#include "common/limits.h"
#include "common/paths.h"
#include "common/shell.h"
#include "common/state.h"
#include "common/text.h"
#include "sorter/placement.h"
#include "sorter/scan_driver.h"

namespace {

constexpr std::string_view startText = "&Start";
constexpr std::string_view stopText = "&Abbruch";

struct BrowseButton {
  int buttonId;
  int editId;
  std::string Settings::*setting;
  std::string_view title;
};

constexpr BrowseButton browseButtons[] = {
    {control::browseTarget, control::targetEdit, &Settings::zielPfad, "Ziel für MP3´s"},
    {control::browseCover, control::coverEdit, &Settings::coverPfad, "Quelle für Cover"},
    {control::browseSource, control::sourceEdit, &Settings::quellPfad, "Quelle für MP3´s"},
};

void readPathEdit(int editId, std::string& setting) {
  setting = cutToPathLimit(shell().getText(editId));
}

}  // namespace

void sortPageInit() {
  setControlNumber(control::filesCounter, scanCounters.files);
  setControlNumber(control::duplicatesCounter, scanCounters.duplicates);
  setControlText(control::targetEdit, settings.zielPfad);
  setControlText(control::sourceEdit, settings.quellPfad);
  setControlText(control::coverEdit, settings.coverPfad);
  for (int id : {control::currentFolder, control::currentFile, control::artist, control::album,
                 control::title, control::year, control::genre}) {
    setControlText(id, "");
  }
}

void readPathEdits() {
  readPathEdit(control::targetEdit, settings.zielPfad);
  readPathEdit(control::sourceEdit, settings.quellPfad);
  readPathEdit(control::coverEdit, settings.coverPfad);
}

// A press during a scan arrives here nested inside the scan (through
// pumpMessages): it clears scanRunning, and the walk winds down after the
// file in hand.
void startStop() {
  scanRunning ^= 1;
  if (scanRunning == 1) {
    setControlText(control::startButton, stopText);
    readPathEdits();
    scanProblems = ScanProblems{};
    // Another run on the same config folder would save over this one's
    // table: the scan does not start while it runs.
    const ScopedRunLock lock;
    if (lock.held() && !settings.nursaeubern) createBaseFolders();
    // The message box of a base folder may have let the user stop already.
    if (lock.held() && scanRunning == 1) {
      const std::string source = settings.quellPfad;
      scanFolder(source);
    }
  }
  setControlText(control::startButton, startText);
  scanRunning = 0;
}

void browseForFolder(int buttonId) {
  for (const BrowseButton& button : browseButtons) {
    if (button.buttonId != buttonId) continue;
    std::string& setting = settings.*button.setting;
    readPathEdit(button.editId, setting);
    // The browser is modal and lets messages through: hand it a copy.
    const std::string start = setting;
    std::string chosen;
    if (!shell().browseForFolder(button.title, start, chosen)) return;
    // A folder whose path is too long for the platform would be cut into
    // another folder's path: keep the old setting instead.
    if (!fitsPathLimit(chosen)) return;
    setting = chosen;
    setControlText(button.editId, setting);
    return;
  }
}
