#include "app/sort_page.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/options_page.h"
#include "common/controls.h"
#include "common/limits.h"
#include "common/state.h"
#include "tests/sorter/engine_fixture.h"

namespace {

using engine_test::Names;
using engine_test::untaggedMp3;

// The sort page as the user drives it: the path edits hold the folders and
// the start button runs the whole scan. Where the copies go is the engine's
// part, proven in tests/sorter.
using SortPageTest = engine_test::EngineTest;

TEST_F(SortPageTest, InitShowsCountersAndPathsAndEmptiesTheDisplays) {
  scanCounters = {12, 3};
  recorder.texts = {{control::artist, "old"}};
  sortPageInit();
  EXPECT_EQ(recorder.numbers[control::filesCounter], 12u);
  EXPECT_EQ(recorder.numbers[control::duplicatesCounter], 3u);
  EXPECT_EQ(recorder.texts[control::targetEdit], settings.zielPfad);
  EXPECT_EQ(recorder.texts[control::sourceEdit], settings.quellPfad);
  EXPECT_EQ(recorder.texts[control::coverEdit], settings.coverPfad);
  for (int id : {109, 110, 111, 112, 113, 114, 115}) EXPECT_EQ(recorder.texts[id], "") << id;
}

// U+1F3B5 crosses the limit in bytes and in UTF-16 units alike.
TEST_F(SortPageTest, PathEditsAreCutAtACharacterBoundary) {
  recorder.texts[control::sourceEdit] = std::string(maxPathLength - 1, 'p') + "\xF0\x9F\x8E\xB5";
  readPathEdits();
  EXPECT_EQ(settings.quellPfad, std::string(maxPathLength - 1, 'p'));
  EXPECT_EQ(settings.zielPfad, path("out"));
}

// Only renames that happened count; a clean name, or one whose cleaned form
// is taken, stays as it is.
TEST_F(SortPageTest, NameOnlyModeMakesNoFoldersAndCleansInPlace) {
  settings.nursaeubern = settings.kuenstler = 1;
  put("in/Clean Name-1.mp3", "a");
  put("in/Böse & Co (Remix).mp3", "b");
  put("in/Taken.mp3", "c");
  put("in/Tak.en.mp3", "d");
  startStop();
  EXPECT_TRUE(tree("out").empty());
  EXPECT_EQ(files("in"),
            (Names{"Boese and Co Remix.mp3", "Clean Name-1.mp3", "Tak.en.mp3", "Taken.mp3"}));
  EXPECT_EQ(read("in/Boese and Co Remix.mp3"), "b");
  EXPECT_EQ(read("in/Taken.mp3"), "c");
  EXPECT_EQ(scanCounters.files, 1u);
}

// The rename takes the name before cleaning and the file's own extension;
// the genre target finds the file already renamed and does nothing.
TEST_F(SortPageTest, RenameModeRenamesOnceAndMakesNoFolders) {
  settings.umbenennen = settings.kuenstler = settings.genre = settings.loeschen = 1;
  settings.makealbum = settings.saeubern = 1;
  const std::string regen = engine_test::taggedMp3({"Solaris", "Nord", "Regen (live)", "Pop"}, 1);
  put("in/track01.Mp3", regen);
  startStop();
  EXPECT_TRUE(tree("out").empty());
  EXPECT_EQ(files("in"), Names{"Regen (live).Mp3"});
  EXPECT_EQ(read("in/Regen (live).Mp3"), regen);
  EXPECT_EQ(scanCounters.files, 0u);
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
  EXPECT_EQ(files("out"),
            (Names{"Ohne ID3-Tag/1.mp3", "Ohne ID3-Tag/2.mp3", "Ohne ID3-Tag/3.mp3"}));
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
  EXPECT_EQ(files("in"), (Names{"a.mp3", "b.mp3"}));
  EXPECT_EQ(files("out"),
            (Names{"Ohne ID3-Tag/a.mp3", "Ohne ID3-Tag/c.mp3", "Ohne ID3-Tag/d.mp3"}));
  EXPECT_EQ(read("out/Ohne ID3-Tag/d.mp3"), same);
  EXPECT_EQ(recorder.numbers[control::filesCounter], 1u);
  EXPECT_EQ(recorder.numbers[control::duplicatesCounter], 0u);
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
  EXPECT_EQ(files("out"), (Names{"Ohne ID3-Tag/a.mp3", "Ohne ID3-Tag/new.mp3"}));
}

// A page switch mid-scan re-reads another source; the walk stays put.
TEST_F(SortPageTest, TheTypedSourceIsScannedAndKeptForTheWholeScan) {
  settings.unbekannt = settings.rekursiv = 1;
  put("typed/a.mp3", untaggedMp3(1));
  put("typed/sub/b.mp3", untaggedMp3(2));
  put("in/no.mp3", untaggedMp3(3));
  recorder.texts[control::sourceEdit] = path("typed");
  recorder.onPump = [this](int) {
    recorder.texts[control::sourceEdit] = path("in");
    readPathEdits();
  };
  startStop();
  EXPECT_EQ(files("out"), (Names{"Ohne ID3-Tag/a.mp3", "Ohne ID3-Tag/b.mp3"}));
  EXPECT_EQ(settings.quellPfad, path("in"));
}

TEST_F(SortPageTest, BrowseStartsAtTheTypedFolderAndKeepsItOnCancel) {
  recorder.texts[control::targetEdit] = "/typed/target";
  browseForFolder(control::browseTarget);
  recorder.browseAnswer = path("chosen");
  browseForFolder(control::browseCover);
  browseForFolder(control::browseSource);
  EXPECT_EQ(recorder.browseCalls,
            (std::vector<std::pair<std::string, std::string>>{{"Ziel für MP3´s", "/typed/target"},
                                                              {"Quelle für Cover", path("covers")},
                                                              {"Quelle für MP3´s", path("in")}}));
  EXPECT_EQ(settings.zielPfad, "/typed/target");
  EXPECT_EQ(recorder.texts[control::targetEdit], "/typed/target");
  EXPECT_EQ(settings.coverPfad, path("chosen"));
  EXPECT_EQ(settings.quellPfad, path("chosen"));
  EXPECT_EQ(recorder.texts[control::sourceEdit], path("chosen"));
}

}  // namespace
