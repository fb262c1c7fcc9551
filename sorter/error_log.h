#pragma once
#include <string_view>

#include "platform/platform.h"

// Shows message in the status line and appends "Fehler:<message>
// Pfad:<path>" to the log file; a reason, when given, follows the message in
// the log.
void reportError(std::string_view message, std::string_view path,
                 platform::Failure why = platform::Failure::none);

// Appends the same record to the log without touching the status line: for
// what the user may want to look up later but need not be told at once (a
// link skipped, a source kept).
void logRecord(std::string_view message, std::string_view path,
               platform::Failure why = platform::Failure::none);

// A log that cannot be written (a folder, a pipe or a link planted in its
// place, a full disk) is reported once, with the first record that failed;
// this starts counting again (a new scan).
void rearmLogWarning();
