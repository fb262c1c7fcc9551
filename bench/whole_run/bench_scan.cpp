// The scan of liedkorb-cli, with the syncs before deletes on or off, so that
// the whole-run benchmark can tell what durable deletes cost. Only the
// benchmark builds it: no program for users can turn the syncs off.
//   bench-scan sync|nosync [options of liedkorb-cli]
#include <cstdio>
#include <string_view>

#include "app/cli/cli_options.h"
#include "app/cli/cli_shell.h"
#include "app/program_paths.h"
#include "app/run_lock.h"
#include "app/settings_file.h"
#include "app/sort_page.h"
#include "common/state.h"
#include "dupes/duplicate_table.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  const std::string_view mode = argc > 1 ? argv[1] : "";
  CliOptions options;
  std::string error;
  if ((mode != "sync" && mode != "nosync") ||
      !parseCliOptions(argc - 1, argv + 1, options, error)) {
    std::fprintf(stderr, "usage: bench-scan sync|nosync [options of liedkorb-cli] %s\n",
                 error.c_str());
    return 2;
  }
  platform::setDurability(mode == "sync");

  CliShell cli(false);
  setShell(&cli);
  if (options.configFolder) platform::setConfigFolder(*options.configFolder);
  initProgramPaths("liedkorb");
  if (iniPath.empty() || !allocateWorkBuffer() || !acquireRunLock()) return 1;
  loadSettings();
  for (const auto& [key, value] : options.flags) {
    for (const FlagKey& flag : flagKeys) {
      if (flag.key == key) settings.*flag.member = value;
    }
  }
  if (options.source) settings.quellPfad = *options.source;
  if (options.target) settings.zielPfad = *options.target;
  if (!platform::isFolder(settings.quellPfad)) return 1;

  sortPageInit();
  startStop();
  if (settings.crcSave) saveDuplicateTable();
  setShell(nullptr);
  return scanProblems.failedCopies > 0 || scanProblems.targetFull ? 3 : 0;
}
