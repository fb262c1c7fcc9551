#pragma once
#include <string_view>

// Shows message in the status line and appends "Fehler:<message>
// Pfad:<path>" to the log file. A log that cannot be written is skipped.
void reportError(std::string_view message, std::string_view path);
