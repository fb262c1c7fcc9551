#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "common/paths.h"

namespace {

struct SplitCase {
  const char* path;
  const char* drive;
  const char* dir;
  const char* name;
  const char* ext;
};

#ifdef _WIN32
const SplitCase splitCases[] = {
    {"D:\\Tools\\sorter.exe", "D:", "\\Tools\\", "sorter", ".exe"},
    {"D:\\Tools\\sorter", "D:", "\\Tools\\", "sorter", ""},
    {"C:\\", "C:", "\\", "", ""},
    {"C:/a/b.c.mp3", "C:", "/a/", "b.c", ".mp3"},
    {"\\\\server\\share\\x\\Song.MP3", "\\\\server\\share", "\\x\\", "Song", ".MP3"},
    {"D:\\In.dir\\Song", "D:", "\\In.dir\\", "Song", ""},
    {"Song.mp3", "", "", "Song", ".mp3"},
};
#else
const SplitCase splitCases[] = {
    {"/home/u/Tools/sorter.exe", "", "/home/u/Tools/", "sorter", ".exe"},
    {"/home/u/Tools/sorter", "", "/home/u/Tools/", "sorter", ""},
    {"/", "", "/", "", ""},
    {"/a/b.c.mp3", "", "/a/", "b.c", ".mp3"},
    // No drives and no backslash separators on POSIX.
    {"C:\\x\\Song.MP3", "", "", "C:\\x\\Song", ".MP3"},
    {"/In.dir/Song", "", "/In.dir/", "Song", ""},
    {"/music/.hidden", "", "/music/", "", ".hidden"},
    {"Song.mp3", "", "", "Song", ".mp3"},
    {"/music/Song.", "", "/music/", "Song", "."},
};
#endif

TEST(SplitPath, SplitsIntoFourParts) {
  for (const SplitCase& c : splitCases) {
    PathParts parts = splitPath(c.path);
    EXPECT_EQ(parts.drive, c.drive) << c.path;
    EXPECT_EQ(parts.dir, c.dir) << c.path;
    EXPECT_EQ(parts.name, c.name) << c.path;
    EXPECT_EQ(parts.ext, c.ext) << c.path;
    // Joining the parts gives the path back.
    EXPECT_EQ(mergePath(parts.drive, parts.dir, parts.name, parts.ext), c.path) << c.path;
  }
}

TEST(MergePath, AddsMissingSeparatorAndDot) {
  std::string sep(1, pathSeparator);
  EXPECT_EQ(mergePath("", "dir", "name", "INI"), "dir" + sep + "name.INI");
  EXPECT_EQ(mergePath("", "dir" + sep, "name", ".INI"), "dir" + sep + "name.INI");
  EXPECT_EQ(mergePath("", "", "name", ""), "name");
  EXPECT_EQ(mergePath("", "", "", "MP3"), ".MP3");
}

// joinPath always adds a separator, even after one; childPath never doubles it.
TEST(JoinPath, SeparatorsBetweenFolderAndName) {
  const std::string sep(1, pathSeparator);
  const std::tuple<std::string (*)(std::string_view, std::string_view), std::string, std::string>
      cases[] = {
          {joinPath, "a", "a" + sep + "b"},    {joinPath, "a" + sep, "a" + sep + sep + "b"},
          {childPath, "a", "a" + sep + "b"},   {childPath, "a" + sep, "a" + sep + "b"},
          {childPath, sep, sep + "b"},         {childPath, "", sep + "b"},
      };
  for (const auto& [join, folder, expected] : cases) {
    EXPECT_EQ(join(folder, "b"), expected) << folder;
  }
}

std::string repeated(std::string_view piece, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out += piece;
  return out;
}

TEST(PathLimit, InclusiveBoundCountedAsThePlatformDoes) {
  EXPECT_TRUE(fitsPathLimit(std::string(maxPathLength, 'a')));
  EXPECT_FALSE(fitsPathLimit(std::string(maxPathLength + 1, 'a')));
  const std::string umlaut = "\xC3\xBC";  // ü: two bytes, one UTF-16 unit
#ifdef _WIN32
  EXPECT_TRUE(fitsPathLimit(repeated(umlaut, maxPathLength)));
  EXPECT_FALSE(fitsPathLimit(repeated(umlaut, maxPathLength + 1)));
  // A character beyond the BMP takes two units.
  EXPECT_EQ(platformPathLength("\xF0\x9F\x8E\xB5"), 2u);
  EXPECT_EQ(cutToPathLimit(repeated(umlaut, 300)).size(), 2 * maxPathLength);
#else
  EXPECT_TRUE(fitsPathLimit(repeated(umlaut, maxPathLength / 2)));
  EXPECT_FALSE(fitsPathLimit(repeated(umlaut, maxPathLength / 2 + 1)));
  // The cut never splits a character: "a" and 2047 umlauts fill 4095 bytes,
  // "aa" and 2046 umlauts leave one byte that half an umlaut would not fill.
  EXPECT_EQ(cutToPathLimit("a" + repeated(umlaut, maxPathLength)).size(), maxPathLength);
  EXPECT_EQ(cutToPathLimit("aa" + repeated(umlaut, maxPathLength)).size(), maxPathLength - 1);
#endif
  EXPECT_EQ(cutToPathLimit("short"), "short");
}

}  // namespace
