#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// What the engine needs from the window it runs in. Each front end (Win32,
// Qt, command line, tests) implements it and installs it with setShell.
// Control ids are those of common/controls.h and always mean the sort page.
class Shell {
 public:
  virtual ~Shell() = default;
  virtual void setText(int controlId, std::string_view text) = 0;
  // Shows an unsigned decimal number.
  virtual void setNumber(int controlId, std::uint32_t value) = 0;
  virtual std::string getText(int controlId) = 0;
  // A modal message with one OK button, owned by the focused window.
  virtual void messageBox(std::string_view text, std::string_view caption) = 0;
  // Delivers whatever the user did meanwhile, without waiting.
  virtual void pumpMessages() = 0;
  // Lets the user choose a folder, starting at startFolder. Returns false
  // when the user cancelled; chosen is then untouched.
  virtual bool browseForFolder(std::string_view title, std::string_view startFolder,
                               std::string& chosen) = 0;
};

// A shell that shows nothing and answers with empty texts; installed until a
// front end installs its own.
class NullShell : public Shell {
 public:
  void setText(int, std::string_view) override {}
  void setNumber(int, std::uint32_t) override {}
  std::string getText(int) override { return {}; }
  void messageBox(std::string_view, std::string_view) override {}
  void pumpMessages() override {}
  bool browseForFolder(std::string_view, std::string_view, std::string&) override { return false; }
};

// Installs the shell (nullptr: back to the NullShell). The shell must outlive
// its use.
void setShell(Shell* shell);
Shell& shell();

// Short forms used throughout the engine.
inline void setControlText(int id, std::string_view text) { shell().setText(id, text); }
inline void setControlNumber(int id, std::uint32_t value) { shell().setNumber(id, value); }
inline void showMessage(std::string_view text, std::string_view caption) {
  shell().messageBox(text, caption);
}
inline void pumpMessages() { shell().pumpMessages(); }

// The caption of every message box but the start-up failure.
inline constexpr std::string_view errorCaption = "Fehler!";
