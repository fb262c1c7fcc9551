#include "app/program_paths.h"

#include <string>

#include "common/paths.h"
#include "common/state.h"
#include "platform/platform.h"

void initProgramPaths(std::string_view baseName) {
  std::string folder = platform::configFolder();
#ifdef _WIN32
  // The files take the program's own base name, so that a renamed copy of
  // the program starts with settings of its own.
  (void)baseName;
  std::string name = splitPath(platform::programPath()).name;
#else
  std::string name(baseName);
#endif
  if (folder.empty() || name.empty()) {
    iniPath.clear();
    logPath.clear();
    return;
  }
  iniPath = mergePath("", folder, name, "INI");
  logPath = mergePath("", folder, name, "LOG");
}
