#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/controls.h"
#include "common/state.h"
#include "platform/faults.h"
#include "platform/platform.h"
#include "sorter/placement.h"
#include "tests/sorter/engine_fixture.h"

namespace {

using engine_test::EngineTest;
using platform::faults::Op;

// The files (not folders) below a folder.
std::vector<std::string> filesIn(const std::vector<std::string>& tree) {
  std::vector<std::string> files;
  for (const std::string& entry : tree) {
    if (entry.back() != '/') files.push_back(entry);
  }
  return files;
}

class PlacementTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    song = engine_test::untaggedMp3(21);
    put("in/a.mp3", song);
  }
  void place(const std::string& artist, const std::string& album, const std::string& title,
             const std::string& genre) {
    tagInfo = TagInfo{artist, album, title, "", genre};
    createBaseFolders();
    placeTaggedFile(path("in/a.mp3"));
  }
  std::string song;
};

struct TargetRow {
  int kuenstler, genre, unbekannt;
  const char* artist;
  const char* genreText;
  std::vector<std::string> files;
};

TEST_F(PlacementTest, TargetsFollowTheFlagsAndTheTag) {
  const TargetRow rows[] = {
      {1, 1, 0, "Solaris", "Pop", {"Genre/Pop/a.mp3", "Kuenstler/Solaris/Regen.MP3"}},
      {1, 1, 1, "Solaris", "", {"Kuenstler/Solaris/Regen.MP3", "Mit ID3-Tag/a.mp3"}},
      {1, 1, 1, "", "Pop", {"Genre/Pop/a.mp3", "Mit ID3-Tag/a.mp3"}},
      {1, 1, 1, "", "", {"Mit ID3-Tag/a.mp3"}},
      {1, 1, 0, "", "", {}},
      {1, 0, 1, "", "Pop", {"Mit ID3-Tag/a.mp3"}},
      {0, 1, 1, "Solaris", "Pop", {"Genre/Pop/a.mp3"}},
      {0, 0, 1, "Solaris", "Pop", {}},
  };
  for (const TargetRow& row : rows) {
    std::filesystem::remove_all(testing_support::fsPath(path("out")));
    makeFolders("out");
    settings.kuenstler = row.kuenstler;
    settings.genre = row.genre;
    settings.unbekannt = row.unbekannt;
    place(row.artist, "", "Regen", row.genreText);
    EXPECT_EQ(filesIn(tree("out")), row.files)
        << row.kuenstler << row.genre << row.unbekannt << " '" << row.artist << "' '"
        << row.genreText << "'";
    for (const std::string& file : row.files) EXPECT_EQ(read("out/" + file), song) << file;
  }
}

TEST_F(PlacementTest, AlbumFolderAndTitleName) {
  struct Row {
    int makealbum, norename;
    const char* album;
    const char* title;
    const char* file;
  };
  const Row rows[] = {
      {1, 0, "Nord", "Regen", "Kuenstler/Solaris/Nord/Regen.MP3"},
      {1, 0, "", "Regen", "Kuenstler/Solaris/Regen.MP3"},
      {0, 0, "Nord", "Regen", "Kuenstler/Solaris/Regen.MP3"},
      {1, 1, "Nord", "Regen", "Kuenstler/Solaris/Nord/a.mp3"},
      {1, 0, "Nord", "", "Kuenstler/Solaris/Nord/a.mp3"},
  };
  settings.kuenstler = 1;
  for (const Row& row : rows) {
    std::filesystem::remove_all(testing_support::fsPath(path("out")));
    makeFolders("out");
    settings.makealbum = row.makealbum;
    settings.norename = row.norename;
    place("Solaris", row.album, row.title, "");
    EXPECT_EQ(filesIn(tree("out")), std::vector<std::string>{row.file}) << row.file;
  }
}

TEST_F(PlacementTest, GenreNeverLeavesTheGenreTree) {
  settings.genre = 1;
  place("", "", "", "Pop/Funk");
  EXPECT_EQ(read("out/Genre/Pop-Funk/a.mp3"), song);
  // A genre naming the tree's parent is refused like a folder that cannot be
  // made: the file goes to the shared fallback folder.
  place("", "", "", "..");
  EXPECT_EQ(read("out/Genre/!Fehler/a.mp3"), song);
  EXPECT_EQ(recorder.texts[control::statusLine],
            "Verzeichnis\n" + path("out/Genre/..") + "\nkonnte nicht angelegt werden");
  EXPECT_EQ(filesIn(tree("out")),
            (std::vector<std::string>{"Genre/!Fehler/a.mp3", "Genre/Pop-Funk/a.mp3"}));
}

TEST_F(PlacementTest, ArtistFolderThatCannotBeMadeFallsBackWithItsAlbum) {
  settings.kuenstler = 1;
  settings.makealbum = 1;
  std::string folder = path("out/Kuenstler/Solaris");
  platform::faults::failPath(Op::makeFolder, folder);
  place("Solaris", "Nord", "Regen", "");
  std::string message = "Verzeichnis\n" + folder + "\nkonnte nicht angelegt werden";
  EXPECT_EQ(recorder.texts[control::statusLine], message);
  // The log is a text file: its line ends are the platform's.
  std::string record;
  for (char c : "Fehler:" + message + " Pfad:" + folder + "\n") {
    record += c == '\n' ? std::string(platform::textLineEnd) : std::string(1, c);
  }
  EXPECT_EQ(read("config/liedkorb.LOG"), record);
  EXPECT_EQ(read("out/Kuenstler/!Fehler/Nord/Regen.MP3"), song);
  EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(PlacementTest, MissingFallbackFolderEndsThePlacementAndKeepsTheSource) {
  settings.kuenstler = 1;
  settings.genre = 1;
  settings.loeschen = 1;
  platform::faults::failPath(Op::makeFolder, path("out/Kuenstler/Solaris"));
  platform::faults::failPath(Op::makeFolder, path("out/Kuenstler/!Fehler"));
  place("Solaris", "", "Regen", "Pop");
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].first, "Verzeichnis\n!Fehler\nkonnte nicht angelegt werden");
  EXPECT_EQ(recorder.messages[0].second, "Fehler!");
  EXPECT_EQ(read("in/a.mp3"), song);
  EXPECT_FALSE(exists("out/Genre/Pop"));  // no further target is tried
}

TEST_F(PlacementTest, LoeschenDeletesOnlyAStoredSource) {
  settings.loeschen = 1;
  settings.crc = 1;
  settings.kuenstler = 1;
  // Stored nowhere (no branch applies): stays, and is not remembered.
  place("", "", "Regen", "");
  EXPECT_EQ(read("in/a.mp3"), song);
  EXPECT_EQ(duplicateCount(), 0u);
  // A read-only source that was stored goes.
  std::filesystem::permissions(testing_support::fsPath(path("in/a.mp3")),
                               std::filesystem::perms::owner_read);
  place("Solaris", "", "Regen", "");
  EXPECT_EQ(read("out/Kuenstler/Solaris/Regen.MP3"), song);
  EXPECT_FALSE(exists("in/a.mp3"));
  EXPECT_EQ(duplicateCount(), 1u);
}

TEST_F(PlacementTest, RenameModeMakesNoFolderAndRenamesTheSource) {
  settings.umbenennen = 1;
  settings.kuenstler = 1;
  settings.genre = 1;
  settings.makealbum = 1;
  settings.loeschen = 1;
  place("Solaris", "Nord", "Regen", "Pop");
  EXPECT_TRUE(tree("out").empty());
  EXPECT_EQ(tree("in"), std::vector<std::string>{"Regen.mp3"});
  EXPECT_EQ(read("in/Regen.mp3"), song);
}

}  // namespace
