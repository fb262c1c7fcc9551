#include "tests/support/test_support.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>

#include "common/limits.h"
#include "common/state.h"
#include "dupes/duplicate_table.h"
#include "platform/faults.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

namespace testing_support {

fs::path fsPath(std::string_view utf8) {
  std::u8string text(utf8.begin(), utf8.end());
  return fs::path(text);
}

std::string utf8Path(const fs::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

void writeFile(std::string_view path, std::string_view bytes) {
  std::ofstream out(fsPath(path), std::ios::binary | std::ios::trunc);
  ASSERT_TRUE(out.good()) << "cannot create " << path;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::string readFile(std::string_view path) {
  std::ifstream in(fsPath(path), std::ios::binary);
  EXPECT_TRUE(in.good()) << "cannot open " << path;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

bool fileExists(std::string_view path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(fsPath(path), ec));
}

std::vector<std::string> listTree(std::string_view root) {
  std::vector<std::string> out;
  std::error_code ec;
  fs::path base = fsPath(root);
  for (auto it = fs::recursive_directory_iterator(base, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    std::string relative = utf8Path(fs::relative(it->path(), base, ec));
    std::replace(relative.begin(), relative.end(), '\\', '/');
    if (it->is_directory() && !it->is_symlink()) relative += '/';
    out.push_back(relative);
  }
  std::sort(out.begin(), out.end());
  return out;
}

void RecordingShell::setText(int controlId, std::string_view text) { texts[controlId] = text; }
void RecordingShell::setNumber(int controlId, std::uint32_t value) {
  numbers[controlId] = value;
  texts[controlId] = std::to_string(value);
}
std::string RecordingShell::getText(int controlId) {
  auto it = texts.find(controlId);
  return it == texts.end() ? std::string() : it->second;
}
void RecordingShell::messageBox(std::string_view text, std::string_view caption) {
  messages.emplace_back(std::string(text), std::string(caption));
}
void RecordingShell::pumpMessages() {
  ++pumpCount;
  if (onPump) onPump(pumpCount);
}
bool RecordingShell::browseForFolder(std::string_view title, std::string_view startFolder,
                                     std::string& chosen) {
  browseCalls.emplace_back(std::string(title), std::string(startFolder));
  if (browseAnswer.empty()) return false;
  chosen = browseAnswer;
  return true;
}

void TempFolderTest::SetUp() {
  static std::atomic<unsigned> serial{0};
  std::mt19937_64 random(static_cast<unsigned long long>(
      std::chrono::steady_clock::now().time_since_epoch().count()));
  fs::path base = fs::temp_directory_path();
  std::error_code ec;
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate =
        base / ("liedkorb-test-" + std::to_string(random() % 1000000000) + "-" + std::to_string(serial++));
    if (fs::create_directory(candidate, ec)) {
      root_ = utf8Path(candidate);
      break;
    }
  }
  ASSERT_FALSE(root_.empty()) << "no temporary folder";
  platform::faults::reset();
  // Syncs still pass the fault seam, where tests see and fail them; waiting
  // for the disk would only make the suite slow.
  platform::setDurability(false);
  resetSharedState();
  freeDuplicateStorage();
  allocateWorkBuffer();
  makeFolders("config");
  platform::setConfigFolder(path("config"));
  setShell(&recorder);
}

void TempFolderTest::TearDown() {
  setShell(nullptr);
  platform::faults::reset();
  platform::setConfigFolder("");
  // No table or buffer of this test reaches the next one.
  resetSharedState();
  freeDuplicateStorage();
  std::error_code ec;
  // Give back write permission first, so that read-only test files go too.
  for (auto it = fs::recursive_directory_iterator(fsPath(root_), ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_symlink()) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(fsPath(root_), ec);
}

std::string TempFolderTest::path(std::string_view relative) const {
  std::string out = root_;
  out += pathSeparator;
  for (char c : relative) out += (c == '/') ? pathSeparator : c;
  return out;
}

void TempFolderTest::makeFolders(std::string_view relative) const {
  std::error_code ec;
  fs::create_directories(fsPath(path(relative)), ec);
  ASSERT_FALSE(ec) << "cannot make " << relative;
}

}  // namespace testing_support
