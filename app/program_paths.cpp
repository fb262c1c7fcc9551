#include "app/program_paths.h"

#include "common/paths.h"
#include "common/state.h"
#include "platform/platform.h"

void initProgramPaths(std::string_view baseName) {
#ifdef _WIN32
  (void)baseName;
  PathParts program = splitPath(platform::programPath());
  iniPath = mergePath(program.drive, program.dir, program.name, "INI");
  logPath = mergePath(program.drive, program.dir, program.name, "LOG");
#else
  std::string folder = platform::configFolder();
  if (folder.empty()) {
    iniPath.clear();
    logPath.clear();
    return;
  }
  iniPath = mergePath("", folder, baseName, "INI");
  logPath = mergePath("", folder, baseName, "LOG");
#endif
}
