#include "sorter/placement.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/controls.h"
#include "common/state.h"
#include "platform/faults.h"
#include "sorter/durable_deletes.h"
#include "platform/platform.h"
#include "tests/sorter/engine_fixture.h"

namespace {

using engine_test::Names;
using platform::faults::Op;

class PlacementTest : public engine_test::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    put("in/a.mp3", song);
  }
  void place(const std::string& artist, const std::string& album, const std::string& title,
             const std::string& genre) {
    tagInfo = TagInfo{artist, album, title, "", genre};
    createBaseFolders();
    placeTaggedFile(path("in/a.mp3"));
    deletePending();
  }
  const std::string song = engine_test::untaggedMp3(21);
};

TEST_F(PlacementTest, TargetsFollowTheFlagsAndTheTag) {
  const struct {
    std::string_view flags;  // kuenstler, genre, unbekannt, makealbum (a), norename
    const char* artist;
    const char* album;
    const char* title;
    const char* genre;
    Names files;
  } rows[] = {
      {"kg", "Solaris", "", "Regen", "Pop", {"Genre/Pop/a.mp3", "Kuenstler/Solaris/Regen.MP3"}},
      {"kgu", "Solaris", "", "Regen", "", {"Kuenstler/Solaris/Regen.MP3", "Mit ID3-Tag/a.mp3"}},
      {"kgu", "", "", "Regen", "Pop", {"Genre/Pop/a.mp3", "Mit ID3-Tag/a.mp3"}},
      {"kgu", "", "", "Regen", "", {"Mit ID3-Tag/a.mp3"}},
      {"kg", "", "", "Regen", "", {}},
      {"ku", "", "", "Regen", "Pop", {"Mit ID3-Tag/a.mp3"}},
      {"ku", "Solaris", "", "Regen", "", {"Kuenstler/Solaris/Regen.MP3"}},
      {"gu", "Solaris", "", "Regen", "Pop", {"Genre/Pop/a.mp3"}},
      {"u", "Solaris", "", "Regen", "Pop", {}},
      // The genre is one folder, and never the tree's parent.
      {"g", "", "", "", "Pop/Funk", {"Genre/Pop-Funk/a.mp3"}},
      {"g", "", "", "", "..", {"Genre/!Fehler/a.mp3"}},
      // The album folder, and the title as the name.
      {"ka", "Solaris", "Nord", "Regen", "", {"Kuenstler/Solaris/Nord/Regen.MP3"}},
      {"ka", "Solaris", "", "Regen", "", {"Kuenstler/Solaris/Regen.MP3"}},
      {"k", "Solaris", "Nord", "Regen", "", {"Kuenstler/Solaris/Regen.MP3"}},
      {"kan", "Solaris", "Nord", "Regen", "", {"Kuenstler/Solaris/Nord/a.mp3"}},
      {"ka", "Solaris", "Nord", "", "", {"Kuenstler/Solaris/Nord/a.mp3"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.flags) + " '" + row.artist + "' '" + row.album + "' '" +
                 row.title + "' '" + row.genre + "'");
    emptyOut();
    for (auto [flag, letter] : {std::pair{&Settings::kuenstler, 'k'},
                                {&Settings::genre, 'g'},
                                {&Settings::unbekannt, 'u'},
                                {&Settings::makealbum, 'a'},
                                {&Settings::norename, 'n'}}) {
      settings.*flag = row.flags.find(letter) != std::string_view::npos;
    }
    place(row.artist, row.album, row.title, row.genre);
    EXPECT_EQ(files("out"), row.files);
    for (const std::string& file : row.files) EXPECT_EQ(read("out/" + file), song) << file;
  }
}

TEST_F(PlacementTest, ArtistFolderThatCannotBeMadeFallsBackWithItsAlbum) {
  settings.kuenstler = settings.makealbum = 1;
  const std::string folder = path("out/Kuenstler/Solaris");
  platform::faults::failPath(Op::makeFolder, folder);
  place("Solaris", "Nord", "Regen", "");
  const std::string message = "Verzeichnis\n" + folder + "\nkonnte nicht angelegt werden";
  EXPECT_EQ(recorder.texts[control::statusLine], message);
  const std::string eol(platform::textLineEnd);  // the log is a text file
  EXPECT_EQ(read("config/liedkorb.LOG"),
            "Fehler:Verzeichnis" + eol + folder + eol +
                "konnte nicht angelegt werden: Ein-/Ausgabefehler Pfad:" + folder + eol);
  EXPECT_EQ(read("out/Kuenstler/!Fehler/Nord/Regen.MP3"), song);
  EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(PlacementTest, MissingFallbackFolderEndsThePlacementAndKeepsTheSource) {
  settings.kuenstler = settings.genre = settings.loeschen = 1;
  platform::faults::failPath(Op::makeFolder, path("out/Kuenstler/Solaris"));
  platform::faults::failPath(Op::makeFolder, path("out/Kuenstler/!Fehler"));
  place("Solaris", "", "Regen", "Pop");
  EXPECT_EQ(recorder.messages,
            (std::vector<std::pair<std::string, std::string>>{
                {"Verzeichnis\n!Fehler\nkonnte nicht angelegt werden", "Fehler!"}}));
  EXPECT_EQ(read("in/a.mp3"), song);
  EXPECT_FALSE(exists("out/Genre/Pop"));  // no further target is tried
}

TEST_F(PlacementTest, LoeschenDeletesOnlyAStoredSource) {
  settings.loeschen = settings.crc = settings.kuenstler = 1;
  place("", "", "Regen", "");  // no branch applies: stays, and is not remembered
  EXPECT_EQ(read("in/a.mp3"), song);
  EXPECT_EQ(duplicateCount(), 0u);
  std::filesystem::permissions(testing_support::fsPath(path("in/a.mp3")),
                               std::filesystem::perms::owner_read);
  place("Solaris", "", "Regen", "");  // stored, so it goes, though read-only
  EXPECT_EQ(read("out/Kuenstler/Solaris/Regen.MP3"), song);
  EXPECT_FALSE(exists("in/a.mp3"));
  EXPECT_EQ(duplicateCount(), 1u);
}

}  // namespace
