#include <gtest/gtest.h>

#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/faults.h"
#include "platform/platform.h"
#include "tests/support/test_support.h"

namespace {

using platform::faults::Op;
using testing_support::fileExists;
using testing_support::readFile;
using testing_support::writeFile;
using Names = std::vector<std::string>;
namespace fs = std::filesystem;

class PlatformTest : public testing_support::TempFolderTest {
 protected:
  // The names found, folders with a '/', links to folders with a '@'.
  Names find(std::string_view folder, std::string_view pattern) {
    std::vector<platform::DirEntry> entries{{"stale", false, false}};
    EXPECT_TRUE(platform::findEntries(path(folder), pattern, entries)) << folder;
    Names out;
    for (const auto& e : entries) {
      out.push_back(e.name + (e.isFolder ? "/" : "") + (e.isFolderLink ? "@" : ""));
    }
    return out;
  }
  fs::path native(std::string_view relative) const { return testing_support::fsPath(path(relative)); }
};

TEST_F(PlatformTest, FindListsMatchesSortedWithoutCase) {
  makeFolders("in/Live.MP3");
  makeFolders("in/sub");
  for (const char* name : {"b.mp3", "A.MP3", "c.Mp3", "readme.txt", "noext"}) {
    writeFile(path(std::string("in/") + name), "x");
  }
  EXPECT_EQ(find("in", "*.MP3"), (Names{"A.MP3", "b.mp3", "c.Mp3", "Live.MP3/"}));
  EXPECT_EQ(find("in", "*.*"),
            (Names{"./", "../", "A.MP3", "b.mp3", "c.Mp3", "Live.MP3/", "noext", "readme.txt", "sub/"}));

  std::vector<platform::DirEntry> entries{{"stale", false, false}};
  EXPECT_FALSE(platform::findEntries(path("missing"), "*.*", entries));
  EXPECT_TRUE(entries.empty());
  platform::faults::failPath(Op::find, root());
  EXPECT_FALSE(platform::findEntries(root(), "*.*", entries));
}

#ifndef _WIN32
TEST_F(PlatformTest, LinkToFolderIsNotAFolder) {
  makeFolders("in/real");
  fs::create_directory_symlink("..", native("in/loop"));
  EXPECT_EQ(find("in", "*.*"), (Names{"./", "../", "loop@", "real/"}));
}

// Only regular files are read or copied. A named pipe must be refused at
// once: opening it for reading would wait for a writer forever.
TEST_F(PlatformTest, NonRegularFilesAreRefusedWithoutWaiting) {
  ASSERT_EQ(::mkfifo(path("pipe.mp3").c_str(), 0600), 0);
  makeFolders("folder.mp3");
  for (const char* name : {"pipe.mp3", "folder.mp3"}) {
    platform::File file;
    EXPECT_FALSE(file.openRead(path(name))) << name;
    EXPECT_FALSE(file.isOpen()) << name;
    EXPECT_FALSE(platform::copyFileNoOverwrite(path(name), path("copy"))) << name;
    EXPECT_FALSE(fileExists(path("copy"))) << name;
  }
  // A regular file still opens for reading afterwards, and reads block again.
  writeFile(path("song.mp3"), "abc");
  platform::File file;
  ASSERT_TRUE(file.openRead(path("song.mp3")));
  char buffer[8];
  EXPECT_EQ(file.read(buffer, sizeof buffer), 3);
}
#endif

TEST_F(PlatformTest, CopyNeverOverwritesAndLeavesNoHalfFile) {
  const std::string big(300000, 'q');
  writeFile(path("a"), big);
  writeFile(path("b"), "old");
  EXPECT_FALSE(platform::copyFileNoOverwrite(path("a"), path("b")));
  EXPECT_EQ(readFile(path("b")), "old");
  // A missing source, a missing target folder or a copy failing halfway
  // leaves nothing behind; the seam fails only the call it was armed for.
  EXPECT_FALSE(platform::copyFileNoOverwrite(path("missing"), path("c")));
  EXPECT_FALSE(platform::copyFileNoOverwrite(path("a"), path("nofolder/a")));
  platform::faults::failNth(Op::copy, 1);
  EXPECT_FALSE(platform::copyFileNoOverwrite(path("a"), path("c")));
  EXPECT_FALSE(fileExists(path("c")));
  ASSERT_TRUE(platform::copyFileNoOverwrite(path("a"), path("c")));
  EXPECT_EQ(readFile(path("c")), big);
}

TEST_F(PlatformTest, CopyKeepsModificationTimeAndPermissions) {
  writeFile(path("a"), "x");
  auto when = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
  fs::last_write_time(native("a"), when);
#ifndef _WIN32
  const fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read;
  fs::permissions(native("a"), readOnly | fs::perms::set_gid, fs::perm_options::replace);
#endif
  ASSERT_TRUE(platform::copyFileNoOverwrite(path("a"), path("b")));
  EXPECT_LT(std::chrono::abs(fs::last_write_time(native("b")) - when), std::chrono::seconds(2));
#ifndef _WIN32
  // The permissions come along; a set-id bit does not.
  EXPECT_EQ(fs::status(native("b")).permissions(), readOnly);
#endif
}

TEST_F(PlatformTest, MoveRefusesAnExistingName) {
  writeFile(path("a"), "A");
  writeFile(path("b"), "B");
  EXPECT_FALSE(platform::moveFileNoReplace(path("a"), path("b")));
  EXPECT_EQ(readFile(path("a")) + readFile(path("b")), "AB");
  ASSERT_TRUE(platform::moveFileNoReplace(path("a"), path("c")));
  EXPECT_FALSE(fileExists(path("a")));
  EXPECT_EQ(readFile(path("c")), "A");
  EXPECT_TRUE(platform::replaceFile(path("c"), path("b")));
  EXPECT_EQ(readFile(path("b")), "A");
}

TEST_F(PlatformTest, FolderAndFileOperationsAndThePathSeam) {
  EXPECT_TRUE(platform::makeFolder(path("f")));
  EXPECT_FALSE(platform::makeFolder(path("f")));
  EXPECT_FALSE(platform::makeFolder(path("x/y")));
  EXPECT_TRUE(platform::pathExists(path("f")) && platform::isFolder(path("f")));
  writeFile(path("file"), "1");
  EXPECT_TRUE(platform::pathExists(path("file")));
  EXPECT_FALSE(platform::isFolder(path("file")));
  EXPECT_FALSE(platform::deleteFile(path("f")));  // never a folder
  fs::permissions(native("file"), fs::perms::owner_read, fs::perm_options::replace);
  EXPECT_TRUE(platform::clearReadOnly(path("file")));
  EXPECT_NE(fs::status(native("file")).permissions() & fs::perms::owner_write, fs::perms::none);
  // The seam fails every call on the path until it is reset.
  platform::faults::reset();
  platform::faults::failPath(Op::remove, path("file"));
  EXPECT_FALSE(platform::deleteFile(path("file")) || platform::deleteFile(path("file")));
  EXPECT_EQ(platform::faults::callCount(Op::remove), 2);
  platform::faults::reset();
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
  ASSERT_TRUE(file.createNew(path("out")));
  EXPECT_TRUE(file.write("abc", 3));
  file.close();
  EXPECT_EQ(file.createNew(path("out")).failure, platform::Failure::exists);
  ASSERT_TRUE(file.openAppend(path("out")));
  EXPECT_TRUE(file.write("def", 3));
  platform::faults::failNth(Op::write, 1, platform::Failure::noSpace);
  EXPECT_EQ(file.write("123456", 6).failure, platform::Failure::noSpace);
  file.close();
  EXPECT_EQ(readFile(path("out")), "abcdef123");
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
