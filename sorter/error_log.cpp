#include "sorter/error_log.h"

#include <string>

#include "common/controls.h"
#include "common/shell.h"
#include "common/state.h"
#include "platform/platform.h"

namespace {

bool warned = false;

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

void warnOnce(platform::Failure why) {
  if (warned) return;
  warned = true;
  std::string text = "Protokolldatei\n";
  text += logPath;
  text += "\nkann nicht geschrieben werden: ";
  text += platform::failureText(why);
  showMessage(text, errorCaption);
}

}  // namespace

void logRecord(std::string_view message, std::string_view path, platform::Failure why) {
  if (logPath.empty()) return;
  std::string record;
  appendText(record, "Fehler:");
  appendText(record, message);
  if (why != platform::Failure::none) {
    appendText(record, ": ");
    appendText(record, platform::failureText(why));
  }
  appendText(record, " Pfad:");
  appendText(record, path);
  appendText(record, "\n");

  // The log is open only for the length of one report, never through a link
  // and never waiting on a pipe.
  platform::File log;
  platform::Status written = log.openAppend(logPath);
  if (written) written = log.write(record.data(), record.size());
  if (!written) warnOnce(written.failure);
}

void reportError(std::string_view message, std::string_view path, platform::Failure why) {
  setControlText(control::statusLine, message);
  logRecord(message, path, why);
}

void rearmLogWarning() { warned = false; }
