#include "app/error_log.h"

#include <string>

#include "common/controls.h"
#include "common/shell.h"
#include "common/state.h"
#include "platform/platform.h"

namespace {

// The log is a text file: every line feed, also those inside the message,
// is written as the platform's line end.
void appendText(std::string& out, std::string_view text) {
  for (char c : text) {
    if (c == '\n') {
      out += platform::textLineEnd;
    } else {
      out += c;
    }
  }
}

}  // namespace

void reportError(std::string_view message, std::string_view path) {
  setControlText(control::statusLine, message);
  if (logPath.empty()) return;

  std::string record;
  appendText(record, "Fehler:");
  appendText(record, message);
  appendText(record, " Pfad:");
  appendText(record, path);
  appendText(record, "\n");

  // The log is open only for the length of one report. A log that cannot be
  // opened or written is skipped: the status line already tells the user.
  platform::File log;
  if (!log.openAppend(logPath)) return;
  log.write(record.data(), record.size());
}
