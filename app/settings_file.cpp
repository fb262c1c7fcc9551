#include "app/settings_file.h"

#include <optional>
#include <string>
#include <string_view>

#include "app/ini_file.h"
#include "app/run_lock.h"
#include "common/limits.h"
#include "common/paths.h"
#include "common/shell.h"
#include "common/state.h"
#include "common/text.h"
#include "dupes/duplicate_table.h"
#include "platform/platform.h"

namespace {

constexpr std::string_view iniSection = "general";

// Where no folder has been chosen yet: the root of drive C: on Windows; the
// user's home folder elsewhere, where "C:\" names nothing.
std::string defaultFolder() {
  if constexpr (pathSeparator == '\\') {
    return "C:\\";
  } else {
    std::string home = platform::homeFolder();
    if (home.empty()) home = std::string(1, pathSeparator);
    return home;
  }
}

}  // namespace

void loadSettings() {
  // A save that a crash or a kill cut short left its temporary file.
  if (const std::string folder = platform::configFolder(); !folder.empty()) {
    platform::removeLeftoverTemporaries(folder);
  }
  // An INI file that cannot be read counts as missing: every key takes its
  // default, without a message.
  IniFile ini;
  loadIniFile(iniPath, ini);

  for (const FlagKey& flag : flagKeys) {
    settings.*flag.member = iniInt(ini, iniSection, flag.key, 0);
  }
  const std::string fallback = defaultFolder();
  for (const PathKey& pathKey : pathKeys) {
    const std::optional<std::string> value = iniValue(ini, iniSection, pathKey.key);
    settings.*pathKey.member = cutToPathLimit(value ? *value : fallback);
  }

  const bool haveChecksumBuffer = allocateChecksumBuffer();
  const bool haveTableStorage = allocateDuplicateStorage();
  if (!haveChecksumBuffer || !haveTableStorage) {
    // Without its buffers duplicate detection cannot run; it is switched off
    // like after a failed table load, and the table file is left alone.
    showMessage("zu wenig Speicher!", "FEHLER!");
    settings.crc = 0;
    return;
  }
  if (settings.crcSave != 0) loadDuplicateTable();
}

void saveSettings() {
  // The new file is built from the lines of the old one, so that comments,
  // other sections and keys survive. An old file that cannot be read or
  // understood is kept under another name before a new one takes its place.
  IniFile ini;
  bool readable = !iniPath.empty() && loadIniFile(iniPath, ini);
  if (!iniPath.empty() && !readable) {
    std::string keptAs;
    if (platform::keepAside(iniPath, ".defekt", keptAs)) {
      showMessage("Die Einstellungsdatei war unlesbar und bleibt erhalten als\n" + keptAs, errorCaption);
      ini = emptyIniFile();
      readable = true;
    }
  }
  if (readable) {
    for (const FlagKey& flag : flagKeys) {
      setIniValue(ini, iniSection, flag.key, std::to_string(settings.*flag.member));
    }
    // A path with a line break in it cannot be an INI value; its key keeps
    // the value it had.
    for (const PathKey& pathKey : pathKeys) {
      setIniValue(ini, iniSection, pathKey.key, settings.*pathKey.member);
    }
    // Like the profile calls, a settings file that cannot be written fails
    // without a message; the previous file stays whole.
    (void)saveIniFile(iniPath, ini);
  }
  // Without storage nothing was loaded, and writing would only replace a
  // good table file with an empty one.
  if (settings.crcSave == 0 || !duplicateStorageAllocated()) return;
  // Another run saving the table at the same moment would lose this one's
  // pairs or its own; the lock says which goes first.
  const ScopedRunLock lock;
  if (lock.held()) saveDuplicateTable();
}
