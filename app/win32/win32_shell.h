#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "common/shell.h"

// The sort page's window; null until the page exists and after it is gone.
// The engine writes the page's controls through it.
extern HWND sortPageWindow;

// The engine's window on Windows: texts go to the sort page's controls,
// messages are message boxes owned by the focused window.
class Win32Shell : public Shell {
 public:
  void setText(int controlId, std::string_view text) override;
  void setNumber(int controlId, std::uint32_t value) override;
  std::string getText(int controlId) override;
  void messageBox(std::string_view text, std::string_view caption) override;
  void pumpMessages() override;
  bool browseForFolder(std::string_view title, std::string_view startFolder,
                       std::string& chosen) override;
};
