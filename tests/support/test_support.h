#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/shell.h"

namespace testing_support {

std::filesystem::path fsPath(std::string_view utf8);
std::string utf8Path(const std::filesystem::path& path);

// Whole-file helpers for the tests; they fail the test on an I/O error.
void writeFile(std::string_view path, std::string_view bytes);
std::string readFile(std::string_view path);
bool fileExists(std::string_view path);

// Every file and folder below root, as relative paths with '/' and a
// trailing '/' for folders, sorted.
std::vector<std::string> listTree(std::string_view root);

// A shell that remembers the last text and number of every control and every
// message, and can act from pumpMessages (to press buttons mid-scan).
class RecordingShell : public Shell {
 public:
  void setText(int controlId, std::string_view text) override;
  void setNumber(int controlId, std::uint32_t value) override;
  std::string getText(int controlId) override;
  void messageBox(std::string_view text, std::string_view caption) override;
  void pumpMessages() override;
  bool browseForFolder(std::string_view title, std::string_view startFolder,
                       std::string& chosen) override;

  std::map<int, std::string> texts;
  std::map<int, std::uint32_t> numbers;
  std::vector<std::pair<std::string, std::string>> messages;  // text, caption
  std::vector<std::pair<std::string, std::string>> browseCalls;  // title, start folder
  int pumpCount = 0;
  std::function<void(int pumpCount)> onPump;
  // The folder the user "chooses"; empty: the user cancels.
  std::string browseAnswer;
};

// Each test gets its own empty folder, the recording shell installed, the
// shared state reset (no checksum buffer, no duplicate table), the fault seam
// disarmed and the config folder inside the temporary folder.
class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // root() + separator + relative ('/' in relative is turned into the
  // platform's separator).
  std::string path(std::string_view relative) const;
  const std::string& root() const { return root_; }
  // Makes the folder and its parents.
  void makeFolders(std::string_view relative) const;

  RecordingShell recorder;

 private:
  std::string root_;
};

}  // namespace testing_support
