// Names outside any single-byte code page go through every file operation
// unchanged: the Windows backend converts UTF-8 to UTF-16 at the API and
// back, the POSIX one passes the bytes through.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::fileExists;
using testing_support::readFile;
using testing_support::writeFile;

class UnicodePathsTest : public testing_support::TempFolderTest {};

// Greek, CJK, an umlaut and a character outside the Basic Multilingual Plane
// (a surrogate pair in UTF-16).
const std::string folderName = "\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1";          // Ωμέγα
const std::string fileName = "\xE6\x97\xA5\xE6\x9C\xAC-M\xC3\xBCller-\xF0\x9F\x8E\xB5.mp3";  // 日本-Müller-🎵.mp3

TEST_F(UnicodePathsTest, NamesSurviveFindCopyMoveAndDelete) {
  std::string folder = path(folderName);
  ASSERT_TRUE(platform::makeFolder(folder));
  EXPECT_TRUE(platform::isFolder(folder));
  std::string file = path(folderName + "/" + fileName);
  writeFile(file, "ID3");

  std::vector<platform::DirEntry> entries;
  ASSERT_TRUE(platform::findEntries(root(), "*.*", entries));
  ASSERT_EQ(entries.size(), 4u);  // ".", "..", "config", the folder
  EXPECT_EQ(entries[3].name, folderName);
  EXPECT_TRUE(entries[3].isFolder);
  ASSERT_TRUE(platform::findEntries(folder, "*.MP3", entries));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, fileName);

  std::string copy = path(folderName + "/Kopie " + fileName);
  ASSERT_TRUE(platform::copyFileNoOverwrite(file, copy));
  EXPECT_EQ(readFile(copy), "ID3");
  std::string moved = path(fileName);
  ASSERT_TRUE(platform::moveFileNoReplace(copy, moved));
  EXPECT_FALSE(fileExists(copy));
  platform::File handle;
  ASSERT_TRUE(handle.openRead(moved));
  char bytes[3];
  EXPECT_TRUE(handle.readExact(bytes, 3));
  handle.close();
  EXPECT_TRUE(platform::deleteFile(moved));
  EXPECT_FALSE(platform::pathExists(moved));
}

TEST_F(UnicodePathsTest, ConfigFolderWithUnicodeName) {
  std::string folder = path(folderName + "/" + folderName);
  platform::setConfigFolder(folder);
  EXPECT_EQ(platform::configFolder(), folder);
  EXPECT_TRUE(platform::isFolder(folder));
}

#ifdef _WIN32
// Bytes that are no UTF-8 never reach the system as some other name.
TEST_F(UnicodePathsTest, InvalidUtf8IsRefused) {
  std::string bad = path("caf\xE9.mp3");  // Latin-1, not UTF-8
  platform::File file;
  EXPECT_FALSE(file.create(bad));
  EXPECT_FALSE(platform::makeFolder(bad));
  EXPECT_FALSE(platform::pathExists(bad));
  std::vector<platform::DirEntry> entries;
  ASSERT_TRUE(platform::findEntries(root(), "*.*", entries));
  EXPECT_EQ(entries.size(), 3u);  // ".", "..", "config": nothing was made
}

// The search matches long names only; the system's own matching would also
// take the generated short name, so "*.MP3" would find "Lied.mp3x".
TEST_F(UnicodePathsTest, PatternIgnoresShortNames) {
  writeFile(path("Lied.mp3x"), "x");
  writeFile(path("Lied.mp3"), "x");
  std::vector<platform::DirEntry> entries;
  ASSERT_TRUE(platform::findEntries(root(), "*.MP3", entries));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "Lied.mp3");
}
#endif

}  // namespace
