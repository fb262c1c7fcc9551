#include <gtest/gtest.h>

#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "common/paths.h"
#include "platform/faults.h"
#include "platform/platform.h"
#include "tests/support/test_support.h"

namespace {

using platform::faults::Op;
using testing_support::fileExists;
using testing_support::readFile;
using testing_support::writeFile;
namespace fs = std::filesystem;

class PlatformTest : public testing_support::TempFolderTest {};

std::vector<std::string> names(const std::vector<platform::DirEntry>& entries) {
  std::vector<std::string> out;
  for (const auto& e : entries) out.push_back(e.name + (e.isFolder ? "/" : ""));
  return out;
}

TEST_F(PlatformTest, FindListsMatchesSortedWithoutCase) {
  makeFolders("in/Live.MP3");
  makeFolders("in/sub");
  for (const char* name : {"b.mp3", "A.MP3", "c.Mp3", "readme.txt", "noext"}) {
    writeFile(path(std::string("in/") + name), "x");
  }
  std::vector<platform::DirEntry> entries;
  ASSERT_TRUE(platform::findEntries(path("in"), "*.MP3", entries));
  EXPECT_EQ(names(entries), (std::vector<std::string>{"A.MP3", "b.mp3", "c.Mp3", "Live.MP3/"}));

  ASSERT_TRUE(platform::findEntries(path("in"), "*.*", entries));
  EXPECT_EQ(names(entries), (std::vector<std::string>{"./", "../", "A.MP3", "b.mp3", "c.Mp3", "Live.MP3/",
                                                      "noext", "readme.txt", "sub/"}));
}

TEST_F(PlatformTest, FindFailsOnMissingFolderAndThroughTheSeam) {
  std::vector<platform::DirEntry> entries{{"stale", false, false}};
  EXPECT_FALSE(platform::findEntries(path("missing"), "*.*", entries));
  EXPECT_TRUE(entries.empty());
  platform::faults::failPath(Op::find, root());
  EXPECT_FALSE(platform::findEntries(root(), "*.*", entries));
}

#ifndef _WIN32
TEST_F(PlatformTest, LinkToFolderIsNotAFolder) {
  makeFolders("in/real");
  fs::create_directory_symlink("..", testing_support::fsPath(path("in/loop")));
  std::vector<platform::DirEntry> entries;
  ASSERT_TRUE(platform::findEntries(path("in"), "*.*", entries));
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[2].name, "loop");
  EXPECT_FALSE(entries[2].isFolder);
  EXPECT_TRUE(entries[2].isFolderLink);
  EXPECT_TRUE(entries[3].isFolder);
  EXPECT_FALSE(entries[3].isFolderLink);
}
#endif

TEST_F(PlatformTest, CopyNeverOverwrites) {
  writeFile(path("a"), "new content");
  writeFile(path("b"), "old");
  EXPECT_FALSE(platform::copyFileNoOverwrite(path("a"), path("b")));
  EXPECT_EQ(readFile(path("b")), "old");
  ASSERT_TRUE(platform::copyFileNoOverwrite(path("a"), path("c")));
  EXPECT_EQ(readFile(path("c")), "new content");
  // A missing source or a missing target folder leaves nothing behind.
  EXPECT_FALSE(platform::copyFileNoOverwrite(path("missing"), path("d")));
  EXPECT_FALSE(fileExists(path("d")));
  EXPECT_FALSE(platform::copyFileNoOverwrite(path("a"), path("nofolder/a")));
}

#ifndef _WIN32
// Only regular files are read or copied. A named pipe must be refused at
// once: opening it for reading would wait for a writer forever.
TEST_F(PlatformTest, NonRegularFilesAreRefusedWithoutWaiting) {
  ASSERT_EQ(::mkfifo(path("pipe.mp3").c_str(), 0600), 0);
  makeFolders("folder.mp3");
  for (const char* name : {"pipe.mp3", "folder.mp3"}) {
    SCOPED_TRACE(name);
    platform::File file;
    EXPECT_FALSE(file.openRead(path(name)));
    EXPECT_FALSE(file.isOpen());
    EXPECT_FALSE(platform::copyFileNoOverwrite(path(name), path("copy")));
    EXPECT_FALSE(fileExists(path("copy")));
  }
  // A regular file still opens for reading afterwards, and reads block again.
  writeFile(path("song.mp3"), "abc");
  platform::File file;
  ASSERT_TRUE(file.openRead(path("song.mp3")));
  char buffer[8];
  EXPECT_EQ(file.read(buffer, sizeof buffer), 3);
}
#endif

TEST_F(PlatformTest, CopyKeepsModificationTimeAndPermissions) {
  writeFile(path("a"), "x");
  auto when = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
  fs::last_write_time(testing_support::fsPath(path("a")), when);
#ifndef _WIN32
  const fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read;
  fs::permissions(testing_support::fsPath(path("a")), readOnly | fs::perms::set_gid,
                  fs::perm_options::replace);
#endif
  ASSERT_TRUE(platform::copyFileNoOverwrite(path("a"), path("b")));
  auto copied = fs::last_write_time(testing_support::fsPath(path("b")));
  EXPECT_LT(std::chrono::abs(copied - when), std::chrono::seconds(2));
#ifndef _WIN32
  // The permissions come along; a set-id bit does not.
  EXPECT_EQ(fs::status(testing_support::fsPath(path("b"))).permissions(), readOnly);
#endif
}

TEST_F(PlatformTest, CopyFailingHalfwayLeavesNoHalfFile) {
  std::string big(300000, 'q');
  writeFile(path("a"), big);
  platform::faults::failNth(Op::copy, 1);
  EXPECT_FALSE(platform::copyFileNoOverwrite(path("a"), path("b")));
  EXPECT_FALSE(fileExists(path("b")));
  // The seam fails only the call it was armed for.
  ASSERT_TRUE(platform::copyFileNoOverwrite(path("a"), path("b")));
  EXPECT_EQ(readFile(path("b")), big);
}

TEST_F(PlatformTest, MoveRefusesAnExistingName) {
  writeFile(path("a"), "A");
  writeFile(path("b"), "B");
  EXPECT_FALSE(platform::moveFileNoReplace(path("a"), path("b")));
  EXPECT_EQ(readFile(path("a")), "A");
  EXPECT_EQ(readFile(path("b")), "B");
  ASSERT_TRUE(platform::moveFileNoReplace(path("a"), path("c")));
  EXPECT_FALSE(fileExists(path("a")));
  EXPECT_EQ(readFile(path("c")), "A");
  EXPECT_TRUE(platform::replaceFile(path("c"), path("b")));
  EXPECT_EQ(readFile(path("b")), "A");
}

TEST_F(PlatformTest, FolderAndFileOperations) {
  EXPECT_TRUE(platform::makeFolder(path("f")));
  EXPECT_FALSE(platform::makeFolder(path("f")));
  EXPECT_FALSE(platform::makeFolder(path("x/y")));
  EXPECT_TRUE(platform::pathExists(path("f")));
  EXPECT_TRUE(platform::isFolder(path("f")));
  writeFile(path("file"), "1");
  EXPECT_TRUE(platform::pathExists(path("file")));
  EXPECT_FALSE(platform::isFolder(path("file")));
  EXPECT_FALSE(platform::deleteFile(path("f")));  // never a folder
  fs::permissions(testing_support::fsPath(path("file")), fs::perms::owner_read, fs::perm_options::replace);
  EXPECT_TRUE(platform::clearReadOnly(path("file")));
  EXPECT_TRUE((fs::status(testing_support::fsPath(path("file"))).permissions() & fs::perms::owner_write) !=
              fs::perms::none);
  EXPECT_TRUE(platform::deleteFile(path("file")));
  EXPECT_FALSE(platform::pathExists(path("file")));
  EXPECT_FALSE(platform::deleteFile(path("file")));
}

TEST_F(PlatformTest, FileCallsCountShortReadsAsFailures) {
  writeFile(path("data"), "0123456789");
  platform::File file;
  ASSERT_TRUE(file.openRead(path("data")));
  EXPECT_EQ(file.size(), 10);
  char buffer[32];
  EXPECT_EQ(file.read(buffer, sizeof buffer), 10);
  EXPECT_EQ(file.read(buffer, sizeof buffer), 0);
  ASSERT_TRUE(file.seek(-4, platform::SeekFrom::end));
  EXPECT_TRUE(file.readExact(buffer, 4));
  EXPECT_EQ(std::string(buffer, 4), "6789");
  ASSERT_TRUE(file.seek(0, platform::SeekFrom::begin));
  EXPECT_FALSE(file.readExact(buffer, 11));
  EXPECT_FALSE(file.seek(-11, platform::SeekFrom::end));

  ASSERT_TRUE(file.seek(0, platform::SeekFrom::begin));
  platform::faults::failNth(Op::read, 1);
  EXPECT_EQ(file.read(buffer, 10), -1);
  file.close();
  EXPECT_FALSE(file.isOpen());
  EXPECT_FALSE(file.openRead(path("missing")));
  EXPECT_FALSE(file.openRead(root()));  // a folder is not a file to read
}

TEST_F(PlatformTest, CreateWriteAndAppend) {
  platform::File file;
  ASSERT_TRUE(file.create(path("out")));
  EXPECT_TRUE(file.write("abc", 3));
  file.close();
  EXPECT_FALSE(file.createNew(path("out")));
  ASSERT_TRUE(file.openAppend(path("out")));
  EXPECT_TRUE(file.write("def", 3));
  file.close();
  EXPECT_EQ(readFile(path("out")), "abcdef");
  ASSERT_TRUE(file.create(path("out")));  // truncates
  platform::faults::failNth(Op::write, 1);
  EXPECT_FALSE(file.write("123456", 6));
  file.close();
  EXPECT_EQ(readFile(path("out")), "123");
}

TEST_F(PlatformTest, SeamFailsEveryCallOnAPath) {
  writeFile(path("a"), "A");
  platform::faults::failPath(Op::remove, path("a"));
  EXPECT_FALSE(platform::deleteFile(path("a")));
  EXPECT_FALSE(platform::deleteFile(path("a")));
  EXPECT_EQ(platform::faults::callCount(Op::remove), 2);
  platform::faults::reset();
  EXPECT_TRUE(platform::deleteFile(path("a")));
}

TEST_F(PlatformTest, ConfigFolderIsMadeWhenAskedFor) {
  platform::setConfigFolder(path("cfg/deep"));
  EXPECT_EQ(platform::configFolder(), path("cfg/deep"));
  EXPECT_TRUE(platform::isFolder(path("cfg/deep")));
#ifndef _WIN32
  platform::setConfigFolder("");
  std::string old = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
  setenv("XDG_CONFIG_HOME", path("xdg").c_str(), 1);
  EXPECT_EQ(platform::configFolder(), path("xdg/liedkorb"));
  if (old.empty()) unsetenv("XDG_CONFIG_HOME"); else setenv("XDG_CONFIG_HOME", old.c_str(), 1);
#endif
  EXPECT_FALSE(platform::programPath().empty());
}

}  // namespace
