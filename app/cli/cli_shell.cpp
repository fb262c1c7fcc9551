#include "app/cli/cli_shell.h"

#include <cstdio>

#include "app/sort_page.h"
#include "common/controls.h"
#include "common/state.h"
#include "common/text.h"

namespace {

volatile std::sig_atomic_t interruptRequested = 0;

void onInterrupt(int) { interruptRequested = 1; }

}  // namespace

void installInterruptHandler() {
#ifdef _WIN32
  std::signal(SIGINT, onInterrupt);
  std::signal(SIGBREAK, onInterrupt);
#else
  // A service manager's stop and a closed terminal end a scan like Ctrl+C:
  // the file in hand is finished, pending deletes and the table are saved.
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
#endif
}

void CliShell::setText(int controlId, std::string_view text) {
  texts_[controlId] = text;
  if (controlId == control::statusLine && !text.empty()) {
    printLine(errorCaption, text);
  } else if (controlId == control::currentFile) {
    redraw();
  }
}

void CliShell::setNumber(int controlId, std::uint32_t value) {
  texts_[controlId] = std::to_string(value);
  if (controlId == control::filesCounter || controlId == control::duplicatesCounter) redraw();
}

std::string CliShell::getText(int controlId) {
  auto it = texts_.find(controlId);
  return it == texts_.end() ? std::string() : it->second;
}

void CliShell::messageBox(std::string_view text, std::string_view caption) { printLine(caption, text); }

void CliShell::pumpMessages() {
  // Ctrl+C is the "&Abbruch" press: the file in hand is still finished.
  if (interruptRequested == 1 && scanRunning) {
    interruptRequested = 2;
    startStop();
  }
}

bool CliShell::interrupted() const { return interruptRequested != 0; }

void CliShell::redraw() {
  if (!progress_) return;
  std::string line = "Dateien: " + getText(control::filesCounter) + "  Doppelt: " +
                     getText(control::duplicatesCounter) + "  " + getText(control::currentFile);
  line = std::string(cutAtCharBoundary(line, 100));  // one line of a usual terminal
  std::fprintf(stderr, "\r\033[K%s", line.c_str());
  std::fflush(stderr);
  lineShown_ = true;
}

void CliShell::finishProgress() {
  if (lineShown_) {
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    lineShown_ = false;
  }
}

void CliShell::printLine(std::string_view caption, std::string_view text) {
  finishProgress();
  std::string line(caption);
  line += ": ";
  for (char c : text) line += (c == '\n' || c == '\r') ? ' ' : c;
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}
