#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/options_page.h"
#include "app/sort_page.h"
#include "common/controls.h"
#include "common/limits.h"
#include "common/state.h"
#include "tests/sorter/engine_fixture.h"

namespace {

using engine_test::EngineTest;
using engine_test::Song;
using engine_test::taggedMp3;
using engine_test::untaggedMp3;

// The sort page as the user drives it: the path edits hold the folders and
// the start button runs the whole scan.
class SortPageTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    recorder.texts[control::targetEdit] = path("out");
    recorder.texts[control::sourceEdit] = path("in");
    recorder.texts[control::coverEdit] = path("covers");
  }
  std::vector<std::string> files(const std::string& relative) {
    std::vector<std::string> out;
    for (const std::string& entry : tree(relative)) {
      if (entry.back() != '/') out.push_back(entry);
    }
    return out;
  }
};

TEST_F(SortPageTest, InitShowsCountersAndPathsAndEmptiesTheDisplays) {
  scanCounters = {12, 3};
  recorder.texts[control::artist] = "old";
  sortPageInit();
  EXPECT_EQ(recorder.numbers[control::filesCounter], 12u);
  EXPECT_EQ(recorder.numbers[control::duplicatesCounter], 3u);
  EXPECT_EQ(recorder.texts[control::targetEdit], settings.zielPfad);
  EXPECT_EQ(recorder.texts[control::sourceEdit], settings.quellPfad);
  EXPECT_EQ(recorder.texts[control::coverEdit], settings.coverPfad);
  for (int id : {109, 110, 111, 112, 113, 114, 115}) EXPECT_EQ(recorder.texts[id], "") << id;
}

TEST_F(SortPageTest, PathEditsAreCutAtACharacterBoundary) {
  std::string typed = std::string(maxPathLength - 1, 'p') + "ü";
  recorder.texts[control::sourceEdit] = typed;
  readPathEdits();
  EXPECT_EQ(settings.quellPfad, std::string(maxPathLength - 1, 'p'));
  EXPECT_EQ(settings.zielPfad, path("out"));
}

TEST_F(SortPageTest, SortsALibraryIntoTheTargetTree) {
  settings.kuenstler = settings.genre = settings.unbekannt = settings.makealbum = 1;
  settings.rekursiv = 1;
  const std::string regen = taggedMp3({"Solaris", "Nord", "Regen", "Pop"}, 1);
  const std::string sonne = taggedMp3({"Solaris", "", "Sonne", "Pop/Funk"}, 2);
  const std::string noArtist = taggedMp3({"", "Nord", "Wind", "Jazz"}, 3);
  const std::string empty = taggedMp3({}, 4);
  const std::string bare = untaggedMp3(5);
  put("in/regen.mp3", regen);
  put("in/cd2/sonne.MP3", sonne);
  put("in/cd2/wind.mp3", noArtist);
  put("in/cd2/leer.mp3", empty);
  put("in/bare.mp3", bare);
  put("in/readme.txt", "text");
  startStop();
  const std::vector<std::string> expected = {
      "Genre/Jazz/wind.mp3",         "Genre/Pop-Funk/sonne.MP3",
      "Genre/Pop/regen.mp3",         "Kuenstler/Solaris/Nord/Regen.MP3",
      "Kuenstler/Solaris/Sonne.MP3", "Mit ID3-Tag/leer.mp3",
      "Mit ID3-Tag/wind.mp3",        "Ohne ID3-Tag/bare.mp3"};
  EXPECT_EQ(files("out"), expected);
  EXPECT_EQ(read("out/Kuenstler/Solaris/Nord/Regen.MP3"), regen);
  EXPECT_EQ(read("out/Genre/Pop/regen.mp3"), regen);
  EXPECT_EQ(read("out/Genre/Pop-Funk/sonne.MP3"), sonne);
  EXPECT_EQ(read("out/Mit ID3-Tag/wind.mp3"), noArtist);
  EXPECT_EQ(read("out/Mit ID3-Tag/leer.mp3"), empty);
  EXPECT_EQ(read("out/Ohne ID3-Tag/bare.mp3"), bare);
  EXPECT_EQ(scanCounters.files, 8u);
  EXPECT_EQ(recorder.texts[control::filesCounter], "8");
  EXPECT_EQ(recorder.texts[control::startButton], "&Start");
  EXPECT_EQ(scanRunning, 0);
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_EQ(files("in").size(), 6u);  // nothing deleted without loeschen
}

TEST_F(SortPageTest, SaeubernAndKollisionNameTheCopies) {
  settings.kuenstler = settings.saeubern = settings.kollision = 1;
  put("in/1.mp3", taggedMp3({"Solaris", "", "Über & Co (live)", ""}, 1));
  put("in/2.mp3", taggedMp3({"Solaris", "", "Über & Co (live)", ""}, 2));
  startStop();
  EXPECT_EQ(files("out"), (std::vector<std::string>{"Kuenstler/Solaris/Ueber and Co live-00.MP3",
                                                    "Kuenstler/Solaris/Ueber and Co live.MP3"}));
  EXPECT_EQ(scanCounters.duplicates, 1u);
}

TEST_F(SortPageTest, NameOnlyModeMakesNoFoldersAndCleansInPlace) {
  settings.nursaeubern = settings.kuenstler = 1;
  put("in/Clean Name.mp3", "a");
  put("in/Böse (Remix).mp3", "b");
  startStop();
  EXPECT_TRUE(tree("out").empty());
  EXPECT_EQ(files("in"), (std::vector<std::string>{"Boese Remix.mp3", "Clean Name.mp3"}));
  EXPECT_EQ(scanCounters.files, 1u);
}

TEST_F(SortPageTest, RenameModeRenamesOnceAndMakesNoFolders) {
  settings.umbenennen = settings.kuenstler = settings.genre = settings.loeschen = 1;
  const std::string regen = taggedMp3({"Solaris", "Nord", "Regen", "Pop"}, 1);
  put("in/track01.Mp3", regen);
  startStop();
  EXPECT_TRUE(tree("out").empty());
  EXPECT_EQ(files("in"), std::vector<std::string>{"Regen.Mp3"});
  EXPECT_EQ(read("in/Regen.Mp3"), regen);
}

TEST_F(SortPageTest, AbbruchFinishesTheThirdFileAndStartsNoOther) {
  settings.unbekannt = settings.rekursiv = 1;
  for (const char* name : {"in/1.mp3", "in/2.mp3", "in/3.mp3", "in/4.mp3", "in/sub/5.mp3"}) {
    put(name, untaggedMp3(static_cast<std::uint32_t>(name[3])));
  }
  recorder.onPump = [this](int count) {
    if (count != 3) return;
    startStop();
    EXPECT_EQ(recorder.texts[control::startButton], "&Start");
    EXPECT_EQ(scanRunning, 0);
  };
  startStop();
  EXPECT_EQ(recorder.pumpCount, 3);
  EXPECT_EQ(files("out"), (std::vector<std::string>{"Ohne ID3-Tag/1.mp3", "Ohne ID3-Tag/2.mp3",
                                                    "Ohne ID3-Tag/3.mp3"}));
  EXPECT_EQ(recorder.texts[control::startButton], "&Start");
}

TEST_F(SortPageTest, OptionsChangedMidScanApplyFromTheNextFile) {
  settings.unbekannt = settings.crc = 1;
  const std::string same = untaggedMp3(1);
  put("in/a.mp3", same);
  put("in/b.mp3", same);
  put("in/c.mp3", untaggedMp3(2));
  put("in/d.mp3", same);
  recorder.onPump = [](int count) {
    if (count == 3) optionsPageCommand(201);                      // loeschen on
    if (count == 4) optionsPageCommand(control::clearCrcButton);  // forget a.mp3
  };
  startStop();
  // b is a duplicate and stays (loeschen was off); c is stored and goes; after
  // the reset d is new again, stored and deleted.
  EXPECT_EQ(files("in"), (std::vector<std::string>{"a.mp3", "b.mp3"}));
  EXPECT_EQ(files("out"), (std::vector<std::string>{"Ohne ID3-Tag/a.mp3", "Ohne ID3-Tag/c.mp3",
                                                    "Ohne ID3-Tag/d.mp3"}));
  EXPECT_EQ(read("out/Ohne ID3-Tag/d.mp3"), same);
  EXPECT_EQ(scanCounters.files, 1u);
  EXPECT_EQ(scanCounters.duplicates, 0u);
}

TEST_F(SortPageTest, ASecondScanContinuesCountersAndKnowsTheFirstScansFiles) {
  settings.unbekannt = settings.crc = settings.loeschen = 1;
  const std::string song = untaggedMp3(1);
  put("in/a.mp3", song);
  startStop();
  put("in/again.mp3", song);
  put("in/new.mp3", untaggedMp3(2));
  startStop();
  EXPECT_EQ(scanCounters.files, 2u);
  EXPECT_EQ(scanCounters.duplicates, 1u);
  EXPECT_TRUE(files("in").empty());  // the duplicate went too: its copy is stored
  EXPECT_EQ(files("out"), (std::vector<std::string>{"Ohne ID3-Tag/a.mp3", "Ohne ID3-Tag/new.mp3"}));
}

TEST_F(SortPageTest, TheTypedSourceIsScannedAndKeptForTheWholeScan) {
  settings.unbekannt = settings.rekursiv = 1;
  put("typed/a.mp3", untaggedMp3(1));
  put("typed/sub/b.mp3", untaggedMp3(2));
  put("in/no.mp3", untaggedMp3(3));
  recorder.texts[control::sourceEdit] = path("typed");
  // A page switch mid-scan re-reads another source; the walk stays put.
  recorder.onPump = [this](int) {
    recorder.texts[control::sourceEdit] = path("in");
    readPathEdits();
  };
  startStop();
  EXPECT_EQ(files("out"), (std::vector<std::string>{"Ohne ID3-Tag/a.mp3", "Ohne ID3-Tag/b.mp3"}));
  EXPECT_EQ(settings.quellPfad, path("in"));
}

TEST_F(SortPageTest, MissingTargetTreeReportsOnceAndKeepsTheSources) {
  settings.kuenstler = settings.unbekannt = settings.loeschen = 1;
  recorder.texts[control::targetEdit] = path("nowhere");
  put("in/a.mp3", taggedMp3({"Solaris", "", "Regen", ""}, 1));
  startStop();
  const std::string artistFolder = path("nowhere/Kuenstler/Solaris");
  ASSERT_EQ(recorder.messages.size(), 2u);
  EXPECT_EQ(recorder.messages[0].first,
            "Verzeichnis\n" + path("nowhere/Kuenstler") + "\nkonnte nicht angelegt werden");
  EXPECT_EQ(recorder.messages[1].first, "Verzeichnis\n!Fehler\nkonnte nicht angelegt werden");
  EXPECT_EQ(recorder.texts[control::statusLine],
            "Verzeichnis\n" + artistFolder + "\nkonnte nicht angelegt werden");
  EXPECT_TRUE(exists("in/a.mp3"));
}

TEST_F(SortPageTest, BrowseStartsAtTheTypedFolderAndKeepsItOnCancel) {
  recorder.texts[control::targetEdit] = "/typed/target";
  browseForFolder(control::browseTarget);
  ASSERT_EQ(recorder.browseCalls.size(), 1u);
  EXPECT_EQ(recorder.browseCalls[0].first, "Ziel für MP3´s");
  EXPECT_EQ(recorder.browseCalls[0].second, "/typed/target");
  EXPECT_EQ(settings.zielPfad, "/typed/target");
  EXPECT_EQ(recorder.texts[control::targetEdit], "/typed/target");

  recorder.browseAnswer = path("chosen");
  browseForFolder(control::browseCover);
  browseForFolder(control::browseSource);
  EXPECT_EQ(recorder.browseCalls[1].first, "Quelle für Cover");
  EXPECT_EQ(recorder.browseCalls[2].first, "Quelle für MP3´s");
  EXPECT_EQ(settings.coverPfad, path("chosen"));
  EXPECT_EQ(settings.quellPfad, path("chosen"));
  EXPECT_EQ(recorder.texts[control::sourceEdit], path("chosen"));
  EXPECT_EQ(settings.zielPfad, "/typed/target");
}

}  // namespace
