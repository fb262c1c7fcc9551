// liedkorb-cli: the scan that "&Start" runs, without a window.
#include <cstdio>
#include <string>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "app/cli/cli_options.h"
#include "app/cli/cli_shell.h"
#include "app/program_paths.h"
#include "app/run_lock.h"
#include "app/settings_file.h"
#include "app/sort_page.h"
#include "common/controls.h"
#include "common/state.h"
#include "dupes/duplicate_table.h"
#include "platform/platform.h"

namespace {

constexpr int exitScanned = 0;
constexpr int exitNoSource = 1;
constexpr int exitUsage = 2;
constexpr int exitNotStored = 3;
constexpr int exitInterrupted = 130;

bool stderrIsTerminal() {
#ifdef _WIN32
  return false;
#else
  return ::isatty(STDERR_FILENO) == 1;
#endif
}

void applyOptions(const CliOptions& options) {
  for (const auto& [key, value] : options.flags) {
    for (const FlagKey& flag : flagKeys) {
      if (flag.key == key) settings.*flag.member = value;
    }
  }
  if (options.source) settings.quellPfad = *options.source;
  if (options.target) settings.zielPfad = *options.target;
  if (options.covers) settings.coverPfad = *options.covers;
}

}  // namespace

int main(int argc, char** argv) {
  CliOptions options;
  std::string error;
  if (!parseCliOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "liedkorb-cli: %s\nMehr mit: liedkorb-cli --help\n", error.c_str());
    return exitUsage;
  }
  if (options.help) {
    std::fputs(cliHelpText().c_str(), stdout);
    return exitScanned;
  }
  if (options.version) {
    std::puts("Liedkorb 2.7");
    return exitScanned;
  }

  CliShell cli(!options.quiet && stderrIsTerminal());
  setShell(&cli);
  if (options.configFolder) platform::setConfigFolder(*options.configFolder);
  initProgramPaths("liedkorb");
  if (iniPath.empty()) {
    cli.messageBox("Konfigurationsordner\n" + platform::configFolder() + "\nkonnte nicht angelegt werden",
                   errorCaption);
    return exitNoSource;
  }
  if (!allocateWorkBuffer()) {
    cli.messageBox("zu wenig Speicher!", "FEHLER!");
    return exitNoSource;
  }
  // Held to the end, saves included.
  if (!acquireRunLock()) return exitNotStored;
  loadSettings();
  bool tableWasLoaded = settings.crcSave != 0;
  applyOptions(options);
  // --crc-save on a run whose saved settings had it off: the table file is
  // loaded now, so that saving it at the end adds to what it remembered
  // instead of replacing it. A missing file just means an empty table.
  if (!tableWasLoaded && settings.crcSave && platform::pathExists(duplicateTablePath())) {
    loadDuplicateTable();
    applyOptions(options);  // an explicit --crc still holds after a failed load
  }

  if (!platform::isFolder(settings.quellPfad)) {
    cli.messageBox("Quellordner\n" + settings.quellPfad + "\nexistiert nicht oder ist kein Ordner",
                   errorCaption);
    return exitNoSource;
  }

  installInterruptHandler();
  sortPageInit();
  startStop();
  cli.finishProgress();

  if (options.save) {
    saveSettings();  // writes CRC.BIN too when crc-save is on
  } else if (settings.crcSave) {
    saveDuplicateTable();
  }
  std::printf("Dateien: %u\nDoppelt: %u\n", scanCounters.files, scanCounters.duplicates);
  if (scanProblems.failedCopies > 0) {
    std::fprintf(stderr, "Nicht kopiert: %u (siehe %s)\n", scanProblems.failedCopies, logPath.c_str());
  }
  setShell(nullptr);
  if (cli.interrupted()) return exitInterrupted;
  return scanProblems.failedCopies > 0 || scanProblems.targetFull ? exitNotStored : exitScanned;
}
