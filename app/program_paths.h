#pragma once
#include <string_view>

// Sets iniPath and logPath. On Windows they lie beside the program and take
// its base name (D:\Tools\sorter.exe: D:\Tools\sorter.INI and .LOG); elsewhere
// they lie in the config folder under the given base name.
void initProgramPaths(std::string_view baseName = "liedkorb");
