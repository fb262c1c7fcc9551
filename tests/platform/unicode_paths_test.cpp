// Names outside any single-byte code page go through every file operation
// unchanged: the Windows backend converts UTF-8 to UTF-16 at the API and
// back, the POSIX one passes the bytes through.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/support/test_support.h"

namespace {

using Names = std::vector<std::string>;

class UnicodePathsTest : public testing_support::TempFolderTest {
 protected:
  // The names found, folders with a '/'.
  static Names find(const std::string& folder, std::string_view pattern) {
    std::vector<platform::DirEntry> entries;
    EXPECT_TRUE(platform::findEntries(folder, pattern, entries));
    Names out;
    for (const auto& e : entries) out.push_back(e.name + (e.isFolder ? "/" : ""));
    return out;
  }
};

// Greek, CJK, an umlaut and a character outside the Basic Multilingual Plane
// (a surrogate pair in UTF-16).
const std::string folderName = "\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1";          // Ωμέγα
const std::string fileName = "\xE6\x97\xA5\xE6\x9C\xAC-M\xC3\xBCller-\xF0\x9F\x8E\xB5.mp3";  // 日本-Müller-🎵.mp3

TEST_F(UnicodePathsTest, NamesSurviveFindCopyMoveAndDelete) {
  const std::string folder = path(folderName), file = path(folderName + "/" + fileName);
  ASSERT_TRUE(platform::makeFolder(folder));
  EXPECT_TRUE(platform::isFolder(folder));
  testing_support::writeFile(file, "ID3");
  EXPECT_EQ(find(root(), "*.*"), (Names{"./", "../", "config/", folderName + "/"}));
  EXPECT_EQ(find(folder, "*.MP3"), Names{fileName});

  const std::string copy = path(folderName + "/Kopie " + fileName), moved = path(fileName);
  ASSERT_TRUE(platform::copyFileNoOverwrite(file, copy));
  ASSERT_TRUE(platform::moveFileNoReplace(copy, moved));
  EXPECT_FALSE(platform::pathExists(copy));
  platform::File handle;
  ASSERT_TRUE(handle.openRead(moved));
  char bytes[3];
  EXPECT_TRUE(handle.readExact(bytes, 3));
  EXPECT_EQ(std::string(bytes, 3), "ID3");
  handle.close();
  EXPECT_TRUE(platform::deleteFile(moved));
  EXPECT_FALSE(platform::pathExists(moved));

  const std::string config = path(folderName + "/" + folderName);
  platform::setConfigFolder(config);
  EXPECT_EQ(platform::configFolder(), config);
  EXPECT_TRUE(platform::isFolder(config));
}

#ifdef _WIN32
// Bytes that are no UTF-8 never reach the system as some other name.
TEST_F(UnicodePathsTest, InvalidUtf8IsRefused) {
  std::string bad = path("caf\xE9.mp3");  // Latin-1, not UTF-8
  platform::File file;
  EXPECT_FALSE(file.createNew(bad));
  EXPECT_FALSE(platform::makeFolder(bad));
  EXPECT_FALSE(platform::pathExists(bad));
  EXPECT_EQ(find(root(), "*.*"), (Names{"./", "../", "config/"}));  // nothing was made
}

// The search matches long names only; the system's own matching would also
// take the generated short name, so "*.MP3" would find "Lied.mp3x".
TEST_F(UnicodePathsTest, PatternIgnoresShortNames) {
  testing_support::writeFile(path("Lied.mp3x"), "x");
  testing_support::writeFile(path("Lied.mp3"), "x");
  EXPECT_EQ(find(root(), "*.MP3"), Names{"Lied.mp3"});
}
#endif

}  // namespace
