// What only the Windows backend has to get right: which reparse points are
// links, identity, the reasons from GetLastError, the copy's attributes.
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/faults.h"
#include "platform/platform.h"
#include "platform/win32/errors.h"
#include "platform/win32/wide.h"
#include "tests/support/test_support.h"

namespace {

using platform::Failure;
using platform::win32::toWideLenient;
using testing_support::listTree;
using testing_support::writeFile;
using Win32PlatformTest = testing_support::TempFolderTest;
using Names = std::vector<std::string>;

DWORD attributes(const std::string& path) { return ::GetFileAttributesW(toWideLenient(path).c_str()); }

// Wine can make none of these reparse points, so the rule is checked alone.
TEST(Win32LinkRuleTest, OnlyNameSurrogatesAndUnknownTagsAreLinks) {
  constexpr DWORD reparse = FILE_ATTRIBUTE_REPARSE_POINT, folder = reparse | FILE_ATTRIBUTE_DIRECTORY;
  const struct { DWORD attributes, tag; bool link; } cases[] = {
      {reparse, IO_REPARSE_TAG_SYMLINK, true}, {folder, IO_REPARSE_TAG_MOUNT_POINT, true},
      {folder, 0, true},  // how Wine lists a Unix symbolic link
      {reparse, IO_REPARSE_TAG_CLOUD_3, false}, {folder, IO_REPARSE_TAG_CLOUD, false},
      {reparse, IO_REPARSE_TAG_DEDUP, false}, {reparse, IO_REPARSE_TAG_WOF, false},
      {FILE_ATTRIBUTE_ARCHIVE, IO_REPARSE_TAG_SYMLINK, false},  // the tag field means nothing then
  };
  for (const auto& c : cases) EXPECT_EQ(platform::win32::isLink(c.attributes, c.tag), c.link) << c.tag;
}

// A failed copy leaves not even its hidden temporary file behind. A hidden
// copy would look lost, a read-only one could not be synced before its source
// goes; clearing read-only keeps the other attributes. One folder under two
// letter cases is one identity, its canonical text in the stored spelling.
TEST_F(Win32PlatformTest, TheBackendTellsTheSystemsReasonsAndIdentities) {
  makeFolders("out");
  writeFile(path("song.mp3"), std::string(300000, 's'));
  writeFile(path("out/TAKEN.mp3"), "old");
  constexpr DWORD hiddenReadOnly = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;
  ASSERT_TRUE(::SetFileAttributesW(toWideLenient(path("song.mp3")).c_str(), hiddenReadOnly));
  platform::File file;
  platform::FileInfo seen;
  platform::FolderLock lock, second, elsewhere;
  platform::faults::failNth(platform::faults::Op::copy, 1, Failure::noSpace);
  platform::setDurability(true);
  // In order: a braced list is evaluated from left to right.
  const std::pair<platform::Status, Failure> cases[] = {
      {platform::copyFileNoOverwrite(path("song.mp3"), path("out/a.mp3")), Failure::noSpace},
      {platform::copyFileNoOverwrite(path("song.mp3"), path("out/taken.MP3")), Failure::exists},
      {platform::copyFileNoOverwrite(path("song.mp3"), path("missing/a.mp3")), Failure::notFound},
      {platform::copyFileNoOverwrite(path("song.mp3"), path("out/a.mp3"), &seen), Failure::none},
      {platform::syncFile(path("out/a.mp3")), Failure::none},
      {platform::syncFolder(path("out")), Failure::none},
      {platform::clearReadOnly(path("song.mp3")), Failure::none},
      {platform::moveFileNoReplace(path("song.mp3"), path("Out")), Failure::exists},
      {file.createNew(path("SONG.mp3")), Failure::exists},
      {file.openRead(path("out")), Failure::notRegular},
      {file.openRead(path("NUL")), Failure::notRegular},  // a device behind any folder
      {file.openAppend(path("NUL")), Failure::notRegular},
      {lock.acquire(root()), Failure::none},
      {second.acquire(root()), Failure::busy},
      {elsewhere.acquire(path("missing")), Failure::notFound},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].first.failure, cases[i].second) << i;
  EXPECT_EQ(listTree(path("out")), (Names{"TAKEN.mp3", "a.mp3"}));
  EXPECT_EQ(attributes(path("out/a.mp3")) & hiddenReadOnly, 0u);
  EXPECT_EQ(attributes(path("song.mp3")) & hiddenReadOnly, DWORD{FILE_ATTRIBUTE_HIDDEN});
  EXPECT_TRUE(seen.sameState(platform::fileInfo(path("song.mp3"))));  // the copy's handle and the path agree
  lock.release();
  EXPECT_TRUE(second.acquire(root()));

  EXPECT_EQ(platform::fileInfo(path("OUT")).id, platform::fileInfo(path("out")).id);
  EXPECT_NE(platform::fileInfo(path("out")).id, platform::fileInfo(path("song.mp3")).id);
  std::string canonical;
  ASSERT_TRUE(platform::canonicalPath(path("OUT/TAKEN.MP3"), canonical));
  EXPECT_TRUE(canonical.ends_with("\\out\\TAKEN.mp3")) << canonical;
}

TEST_F(Win32PlatformTest, AFileLinkIsNeitherReadNorWrittenThrough) {
  writeFile(path("real.mp3"), "mine");
  const std::string link = path("link.mp3");
  // Wine answers success and makes nothing, or a link it shows as a file.
  (void)::CreateSymbolicLinkW(toWideLenient(link).c_str(), L"real.mp3", SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
  const DWORD made = attributes(link);
  if (made == INVALID_FILE_ATTRIBUTES || !(made & FILE_ATTRIBUTE_REPARSE_POINT)) GTEST_SKIP() << "no links here";
  platform::File file;
  std::vector<platform::DirEntry> entries;
  const platform::Status refused[] = {file.openRead(link), file.openAppend(link), platform::clearReadOnly(link),
                                      platform::copyFileNoOverwrite(link, path("copy.mp3"))};
  for (const auto& status : refused) EXPECT_EQ(status.failure, Failure::link);
  EXPECT_EQ(platform::fileInfo(link).kind, platform::Kind::link);
  EXPECT_TRUE(platform::findEntries(root(), "link.mp3", entries) && entries.size() == 1 && entries[0].isLink);
  ASSERT_TRUE(platform::deleteFile(link));
  EXPECT_FALSE(platform::pathExists(link));
  EXPECT_EQ(testing_support::readFile(path("real.mp3")), "mine");
}

}  // namespace
#endif
