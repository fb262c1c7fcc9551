#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "common/state.h"
#include "covers/cover_export.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::writeFile;
using Tree = std::vector<std::string>;

class FindCoverFileTest : public testing_support::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    scanRunning = 1;
    covers({});
  }

  // Makes the cover folder anew with these files, each holding its own
  // name, and an empty target folder.
  void covers(const std::vector<std::string>& files) {
    for (const char* folder : {"covers", "out"}) {
      std::filesystem::remove_all(testing_support::fsPath(path(folder)));
      makeFolders(folder);
    }
    for (const std::string& file : files) {
      const std::string relative = "covers/" + file;
      makeFolders(relative.substr(0, relative.rfind('/')));
      writeFile(path(relative), file);
    }
  }
  void lookUp(std::string_view sourceName = "Song.mp3", std::string_view targetName = "Song.MP3") {
    findCoverFile(path("in/" + std::string(sourceName)), path("out/" + std::string(targetName)),
                  path("covers"));
  }
  // The target folder's files, each with the cover it was copied from.
  Tree out() const {
    Tree tree = testing_support::listTree(path("out"));
    for (std::string& name : tree) name += " <- " + testing_support::readFile(path("out/" + name));
    return tree;
  }
};

TEST_F(FindCoverFileTest, CopiesTheFirstFileNamedLikeTheSource) {
  const std::tuple<const char*, int, Tree, Tree> cases[] = {
      {"picture", 0, {"Song.jpg", "Other.jpg"}, {"Song.jpg <- Song.jpg"}},
      {"any extension", 0, {"Song.txt"}, {"Song.txt <- Song.txt"}},
      {"no extension", 0, {"Song"}, {"Song <- Song"}},
      {"case folded", 0, {"SONG.JPG"}, {"SONG.JPG <- SONG.JPG"}},
      {"two dots", 0, {"Song.old.png"}, {"Song.old.png <- Song.old.png"}},
      {"first in listing order", 0, {"Song.png", "song.bmp", "Song.jpg"}, {"song.bmp <- song.bmp"}},
      {"longer name is another song", 0, {"Songbook.jpg", "Son.jpg"}, {}},
      {"folder named like the source", 1, {"Song.old/x.txt"}, {}},
      {"depth three, not rekursiv", 0, {"a/b/c/Song.jpg"}, {}},
      {"depth three, rekursiv", 1, {"a/b/c/Song.jpg"}, {"Song.jpg <- a/b/c/Song.jpg"}},
      {"a match at the top stops all descent", 1, {"Song.jpg", "sub/Song.png"}, {"Song.jpg <- Song.jpg"}},
      {"a match stops the descent below it but not in siblings", 1,
       {"a/Song.png", "a/deep/Song.gif", "b/Song.bmp", "b/Song.png", "c/x/Song.tif"},
       {"Song.bmp <- b/Song.bmp", "Song.png <- a/Song.png", "Song.tif <- c/x/Song.tif"}},
  };
  for (const auto& [what, rekursiv, files, expected] : cases) {
    covers(files);
    settings.rekursiv = rekursiv;
    lookUp();
    EXPECT_EQ(out(), expected) << what;
  }
}

TEST_F(FindCoverFileTest, TheSourceNamesTheCoverAndAnExistingDestinationIsKept) {
  covers({"Song.jpg", "Titel.jpg"});
  lookUp("Song.mp3", "Titel.MP3");
  EXPECT_EQ(out(), Tree{"Song.jpg <- Song.jpg"});
  writeFile(path("out/Song.jpg"), "mine");
  lookUp();
  EXPECT_EQ(out(), Tree{"Song.jpg <- mine"});
}

TEST_F(FindCoverFileTest, LinksToFoldersAreNotFollowed) {
  settings.rekursiv = 1;
  covers({"a/x.txt"});
  makeFolders("other");
  writeFile(path("other/Song.jpg"), "outside");
  const std::pair<const char*, const char*> links[] = {
      {"covers", "covers/a/loop"}, {"other", "covers/pics"}, {"other", "covers/Song.d"}};
  for (const auto& [target, name] : links) {
    std::error_code ec;
    std::filesystem::create_directory_symlink(testing_support::fsPath(path(target)),
                                              testing_support::fsPath(path(name)), ec);
    if (ec) GTEST_SKIP() << "no symbolic links here";
  }
  lookUp();
  EXPECT_EQ(out(), Tree{});
}

TEST_F(FindCoverFileTest, NothingHappensWithoutAScanOrACoverFolder) {
  covers({"Song.jpg"});
  scanRunning = 0;
  lookUp();
  scanRunning = 1;
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
  EXPECT_EQ(out(), (Tree{"S*g.png <- S*g.png", "S?ng.gif <- S?ng.gif"}));
}
#endif

}  // namespace
