// What only the Windows backend has to get right: identity by volume serial
// and file index, the reasons from GetLastError, the copy's hidden temporary
// file, the lock by share mode and reparse points.
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/faults.h"
#include "platform/platform.h"
#include "platform/win32/wide.h"
#include "tests/support/test_support.h"

namespace {

using platform::Failure;
using platform::faults::Op;
using Names = std::vector<std::string>;

class Win32PlatformTest : public testing_support::TempFolderTest {
 protected:
  std::wstring wide(std::string_view relative) const {
    std::wstring out;
    EXPECT_TRUE(platform::win32::toWide(path(relative), out));
    return out;
  }
  DWORD attributes(std::string_view relative) const { return ::GetFileAttributesW(wide(relative).c_str()); }
  // Every name in the folder, hidden ones too, "." and ".." left out.
  Names names(std::string_view folder) const {
    std::vector<platform::DirEntry> entries;
    EXPECT_TRUE(platform::findEntries(path(folder), "*", entries));
    Names out;
    for (const auto& e : entries) {
      if (e.name != "." && e.name != "..") out.push_back(e.name);
    }
    return out;
  }
};

// The file system ignores letter case: two spellings of one folder are one
// identity and one canonical text, in the spelling stored on the disk.
TEST_F(Win32PlatformTest, OneFolderUnderTwoLetterCasesIsOneIdentity) {
  makeFolders("Musik/Alben");
  makeFolders("Andere");
  testing_support::writeFile(path("Musik/Lied.mp3"), "ID3");
  const platform::FileInfo folder = platform::fileInfo(path("Musik/Alben"));
  EXPECT_EQ(folder.kind, platform::Kind::folder);
  EXPECT_EQ(folder.id, platform::fileInfo(path("MUSIK/aLBEN")).id);
  EXPECT_NE(folder.id, platform::fileInfo(path("Andere")).id);
  EXPECT_TRUE(platform::sameFile(path("Musik"), path("mUSIK")));
  std::string upper, stored;
  ASSERT_TRUE(platform::canonicalPath(path("MUSIK/ALBEN"), upper));
  ASSERT_TRUE(platform::canonicalPath(path("Musik/Alben"), stored));
  EXPECT_EQ(upper, stored);
  EXPECT_TRUE(upper.ends_with("\\Musik\\Alben")) << upper;
  // A path and an open handle tell the same file alike.
  platform::File file;
  ASSERT_TRUE(file.openRead(path("MUSIK/LIED.MP3")));
  EXPECT_TRUE(file.info().sameState(platform::fileInfo(path("Musik/Lied.mp3"))));
}

TEST_F(Win32PlatformTest, FailuresCarryTheSystemsReason) {
  makeFolders("folder");
  testing_support::writeFile(path("file"), "x");
  platform::File file;
  std::vector<platform::DirEntry> entries;
  // In order: a braced list is evaluated from left to right.
  const std::pair<platform::Status, Failure> cases[] = {
      {platform::makeFolder(path("FOLDER")), Failure::exists},
      {platform::makeFolder(path("missing/sub")), Failure::notFound},
      {platform::moveFileNoReplace(path("file"), path("Folder")), Failure::exists},
      {platform::deleteFile(path("missing")), Failure::notFound},
      {platform::deleteFile(path("folder")), Failure::notRegular},
      {file.createNew(path("FILE")), Failure::exists},
      {file.openRead(path("folder")), Failure::notRegular},
      {file.openRead(path("NUL")), Failure::notRegular},  // a device behind any folder
      {file.openAppend(path("NUL")), Failure::notRegular},
      {platform::findEntries(path("missing"), "*", entries), Failure::notFound},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].first.failure, cases[i].second) << i;
}

TEST_F(Win32PlatformTest, AFailedCopyLeavesNoTemporaryFile) {
  makeFolders("out");
  testing_support::writeFile(path("song.mp3"), std::string(300000, 's'));
  testing_support::writeFile(path("out/TAKEN.mp3"), "old");
  const struct {
    const char* target;
    Failure injected;
    bool grows;  // the source is written to while it is copied
    Failure expected;
  } cases[] = {
      {"out/a.mp3", Failure::noSpace, false, Failure::noSpace},
      {"out/a.mp3", Failure::none, true, Failure::changed},
      {"out/taken.MP3", Failure::none, false, Failure::exists},
      {"missing/a.mp3", Failure::none, false, Failure::notFound},
  };
  for (const auto& c : cases) {
    platform::faults::reset();
    if (c.injected != Failure::none) platform::faults::failNth(Op::copy, 1, c.injected);
    if (c.grows) {
      platform::faults::onCall(Op::copy, [](std::string_view source) {
        std::ofstream(testing_support::fsPath(source), std::ios::binary | std::ios::app) << "more";
      });
    }
    EXPECT_EQ(platform::copyFileNoOverwrite(path("song.mp3"), path(c.target)).failure, c.expected)
        << c.target;
    EXPECT_EQ(names("out"), Names{"TAKEN.mp3"}) << c.target;
  }
  platform::faults::reset();
  // The copy of a hidden read-only file is plain: a hidden copy would look
  // lost, a read-only one could not be synced before its source goes.
  constexpr DWORD hiddenReadOnly = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;
  ASSERT_TRUE(::SetFileAttributesW(wide("song.mp3").c_str(), hiddenReadOnly));
  platform::FileInfo seen;
  ASSERT_TRUE(platform::copyFileNoOverwrite(path("song.mp3"), path("out/a.mp3"), &seen));
  EXPECT_TRUE(seen.sameState(platform::fileInfo(path("song.mp3"))));
  EXPECT_EQ(testing_support::readFile(path("out/a.mp3")), testing_support::readFile(path("song.mp3")));
  EXPECT_EQ(attributes("out/a.mp3") & hiddenReadOnly, 0u);
  platform::setDurability(true);
  EXPECT_TRUE(platform::syncFile(path("out/a.mp3")));
  EXPECT_TRUE(platform::syncFolder(path("out")));
  platform::setDurability(false);
  // Only the read-only bit goes.
  ASSERT_TRUE(platform::clearReadOnly(path("song.mp3")));
  EXPECT_EQ(attributes("song.mp3") & hiddenReadOnly, DWORD{FILE_ATTRIBUTE_HIDDEN});
}

TEST_F(Win32PlatformTest, ASecondLockOnTheFolderIsBusy) {
  platform::FolderLock first, second;
  ASSERT_TRUE(first.acquire(root()));
  EXPECT_EQ(second.acquire(root()).failure, Failure::busy);
  EXPECT_FALSE(second.held());
  first.release();
  EXPECT_TRUE(second.acquire(root()));
  platform::FolderLock elsewhere;
  EXPECT_EQ(elsewhere.acquire(path("missing")).failure, Failure::notFound);
}

TEST_F(Win32PlatformTest, AFileLinkIsNeitherReadNorWrittenThrough) {
  testing_support::writeFile(path("real.mp3"), "mine");
  // Wine answers success and makes nothing: the attributes tell.
  if (!::CreateSymbolicLinkW(wide("link.mp3").c_str(), wide("real.mp3").c_str(),
                             SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) ||
      attributes("link.mp3") == INVALID_FILE_ATTRIBUTES ||
      !(attributes("link.mp3") & FILE_ATTRIBUTE_REPARSE_POINT)) {
    GTEST_SKIP() << "no symbolic links here";
  }
  ASSERT_TRUE(::SetFileAttributesW(wide("real.mp3").c_str(), FILE_ATTRIBUTE_READONLY));
  platform::File file;
  EXPECT_EQ(file.openRead(path("link.mp3")).failure, Failure::link);
  EXPECT_EQ(file.openAppend(path("link.mp3")).failure, Failure::link);
  EXPECT_EQ(platform::copyFileNoOverwrite(path("link.mp3"), path("copy.mp3")).failure, Failure::link);
  EXPECT_EQ(platform::clearReadOnly(path("link.mp3")).failure, Failure::link);
  EXPECT_EQ(platform::fileInfo(path("link.mp3")).kind, platform::Kind::link);
  std::vector<platform::DirEntry> entries;
  ASSERT_TRUE(platform::findEntries(root(), "link.mp3", entries));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_TRUE(entries[0].isLink);
  ASSERT_TRUE(platform::deleteFile(path("link.mp3")));
  EXPECT_EQ(names(""), (Names{"config", "real.mp3"}));
  EXPECT_EQ(testing_support::readFile(path("real.mp3")), "mine");
  EXPECT_NE(attributes("real.mp3") & FILE_ATTRIBUTE_READONLY, 0u);
}

}  // namespace
#endif
