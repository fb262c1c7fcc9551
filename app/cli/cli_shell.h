#pragma once
#include <csignal>
#include <map>
#include <string>

#include "common/shell.h"

// The terminal as the sort page: counters and the current file on one
// progress line on standard error (only on a terminal, never with --quiet),
// message boxes and status-line reports as one line each on standard error.
// Ctrl+C acts as "&Abbruch".
class CliShell : public Shell {
 public:
  explicit CliShell(bool progress) : progress_(progress) {}
  void setText(int controlId, std::string_view text) override;
  void setNumber(int controlId, std::uint32_t value) override;
  std::string getText(int controlId) override;
  void messageBox(std::string_view text, std::string_view caption) override;
  void pumpMessages() override;
  bool browseForFolder(std::string_view, std::string_view, std::string&) override { return false; }

  // Ends the progress line, if one is shown.
  void finishProgress();
  bool interrupted() const;

 private:
  void redraw();
  void printLine(std::string_view caption, std::string_view text);

  bool progress_;
  bool lineShown_ = false;
  std::map<int, std::string> texts_;
};

// Installs the handler of SIGINT (and SIGTERM, SIGHUP) that
// CliShell::pumpMessages reads.
void installInterruptHandler();
