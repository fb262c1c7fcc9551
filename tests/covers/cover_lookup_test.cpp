#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/state.h"
#include "covers/cover_export.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::fileExists;
using testing_support::listTree;
using testing_support::readFile;
using testing_support::writeFile;
using Tree = std::vector<std::string>;

class FindCoverFileTest : public testing_support::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    makeFolders("out");
    makeFolders("covers");
    scanRunning = 1;
  }

  // Puts files into the cover folder; each holds its own name.
  void covers(const std::vector<std::string>& files) {
    for (const std::string& file : files) {
      std::string relative = "covers/" + file;
      std::size_t slash = relative.rfind('/');
      makeFolders(relative.substr(0, slash));
      writeFile(path(relative), file);
    }
  }
  void lookUp(std::string_view sourceName = "Song.mp3", std::string_view targetName = "Song.MP3") {
    findCoverFile(path("in/" + std::string(sourceName)), path("out/" + std::string(targetName)),
                  path("covers"));
  }
  Tree out() const { return listTree(path("out")); }
};

TEST_F(FindCoverFileTest, CopiesTheFirstFileNamedLikeTheSource) {
  struct Case {
    const char* name;
    std::vector<std::string> files;
    Tree expected;
  };
  std::vector<Case> cases{
      {"picture", {"Song.jpg", "Other.jpg"}, {"Song.jpg"}},
      {"any extension", {"Song.txt"}, {"Song.txt"}},
      {"no extension", {"Song"}, {"Song"}},
      {"case folded", {"SONG.JPG"}, {"SONG.JPG"}},
      {"two dots", {"Song.old.png"}, {"Song.old.png"}},
      {"first in listing order", {"Song.png", "song.bmp", "Song.jpg"}, {"song.bmp"}},
      {"longer name is another song", {"Songbook.jpg", "Son.jpg"}, {}},
      {"folder named like the source", {"Song.old/x.txt"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(testing_support::fsPath(path("covers")));
    std::filesystem::remove_all(testing_support::fsPath(path("out")));
    makeFolders("covers");
    makeFolders("out");
    covers(c.files);
    lookUp();
    EXPECT_EQ(out(), c.expected);
  }
}

TEST_F(FindCoverFileTest, TheSourceNamesTheCoverNotTheTarget) {
  covers({"Song.jpg", "Titel.jpg"});
  lookUp("Song.mp3", "Titel.MP3");
  EXPECT_EQ(out(), Tree{"Song.jpg"});
  EXPECT_EQ(readFile(path("out/Song.jpg")), "Song.jpg");
}

TEST_F(FindCoverFileTest, AnExistingDestinationIsKept) {
  covers({"Song.jpg"});
  writeFile(path("out/Song.jpg"), "mine");
  lookUp();
  EXPECT_EQ(readFile(path("out/Song.jpg")), "mine");
}

TEST_F(FindCoverFileTest, SubfoldersAreSearchedOnlyWithRekursiv) {
  covers({"a/b/c/Song.jpg"});
  lookUp();
  EXPECT_EQ(out(), Tree{});
  settings.rekursiv = 1;
  lookUp();
  EXPECT_EQ(out(), Tree{"Song.jpg"});
}

TEST_F(FindCoverFileTest, AMatchStopsTheDescentBelowItButNotInSiblings) {
  settings.rekursiv = 1;
  covers({"a/Song.png", "a/deep/Song.gif", "b/Song.bmp", "b/Song.png", "c/x/Song.tif"});
  lookUp();
  EXPECT_EQ(out(), (Tree{"Song.bmp", "Song.png", "Song.tif"}));
  EXPECT_EQ(readFile(path("out/Song.png")), "a/Song.png");
}

TEST_F(FindCoverFileTest, AMatchAtTheTopStopsAllDescent) {
  settings.rekursiv = 1;
  covers({"Song.jpg", "sub/Song.png"});
  lookUp();
  EXPECT_EQ(out(), Tree{"Song.jpg"});
}

TEST_F(FindCoverFileTest, LinksToFoldersAreNotFollowed) {
  settings.rekursiv = 1;
  covers({"a/x.txt"});
  makeFolders("other");
  writeFile(path("other/Song.jpg"), "outside");
  auto link = [&](const char* target, const char* name) {
    std::error_code ec;
    std::filesystem::create_directory_symlink(testing_support::fsPath(path(target)),
                                              testing_support::fsPath(path(name)), ec);
    return !ec;
  };
  if (!link("covers", "covers/a/loop")) GTEST_SKIP() << "no symbolic links here";
  ASSERT_TRUE(link("other", "covers/pics"));
  ASSERT_TRUE(link("other", "covers/Song.d"));
  lookUp();
  EXPECT_EQ(out(), Tree{});
}

TEST_F(FindCoverFileTest, NothingHappensWithoutAScan) {
  covers({"Song.jpg"});
  scanRunning = 0;
  lookUp();
  EXPECT_EQ(out(), Tree{});
}

TEST_F(FindCoverFileTest, AMissingCoverFolderIsNoError) {
  findCoverFile(path("in/Song.mp3"), path("out/Song.MP3"), path("nowhere"));
  findCoverFile(path("in/Song.mp3"), path("out/Song.MP3"), "");
  EXPECT_EQ(out(), Tree{});
}

#ifndef _WIN32
// Only POSIX names can hold wildcard characters; they match only themselves.
TEST_F(FindCoverFileTest, WildcardsInTheSourceNameAreLiteral) {
  covers({"Saeng.jpg", "S?ng.gif", "S*g.png", "Song.bmp"});
  lookUp("S*g.mp3", "S*g.MP3");
  lookUp("S?ng.mp3", "S?ng.MP3");
  EXPECT_EQ(out(), (Tree{"S*g.png", "S?ng.gif"}));
}
#endif

}  // namespace
