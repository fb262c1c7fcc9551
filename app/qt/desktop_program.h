#pragma once

class QtShell;

// The program from start-up to shutdown, inside a running QApplication:
// program paths, work buffer, settings, the window until it is closed, the
// settings saved however it was closed. shell is installed for the whole
// run. Returns the exit code, which is 0 on every path.
int runDesktopProgram(QtShell& shell);
