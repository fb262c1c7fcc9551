// The scenarios in which a careful user lost files: each must now keep every
// song at its source or whole in the target.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "app/run_lock.h"
#include "app/sort_page.h"
#include "common/controls.h"
#include "common/state.h"
#include "dupes/duplicate_table.h"
#include "platform/faults.h"
#include "platform/platform.h"
#include "tests/sorter/engine_fixture.h"

namespace {

namespace fs = std::filesystem;
using engine_test::Names;
using engine_test::Song;
using platform::Failure;
using platform::faults::Op;

class NoLossTest : public engine_test::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    settings.kuenstler = settings.unbekannt = settings.rekursiv = 1;
  }
  void sort(const std::string& source = "in", const std::string& target = "out") {
    recorder.texts[control::sourceEdit] = path(source);
    recorder.texts[control::targetEdit] = path(target);
    startStop();
  }
  std::string log() { return exists("config/liedkorb.LOG") ? read("config/liedkorb.LOG") : ""; }
  // As if source and target lay on two file systems: no file can be moved
  // into the target, so sources go by copy and delete.
  void acrossFileSystems() { platform::faults::failFrom(Op::move, 1, Failure::other); }
  bool logs(const std::string& text) { return log().find(text) != std::string::npos; }
  bool symlink(const std::string& target, const std::string& link) {
    std::error_code ec;
    fs::create_symlink(testing_support::fsPath(target), testing_support::fsPath(path(link)), ec);
    return !ec;
  }
};

// A download still being written when it was copied: its tail would be lost
// with the source.
TEST_F(NoLossTest, AFileThatGrowsWhileItIsCopiedIsNotStored) {
  settings.loeschen = 1;
  acrossFileSystems();
  const std::string song = engine_test::taggedMp3({"Solaris", "", "Regen", ""}, 1);
  put("in/a.mp3", song);
  platform::faults::onCall(Op::copy, [this](std::string_view) { put("in/a.mp3", read("in/a.mp3") + "more audio"); });
  sort();
  EXPECT_EQ(read("in/a.mp3"), song + "more audio");
  EXPECT_EQ(files("out"), Names{});
  EXPECT_EQ(scanCounters.files, 0u);
  EXPECT_EQ(scanCounters.duplicates, 0u);
  EXPECT_EQ(scanProblems.failedCopies, 1u);
  EXPECT_TRUE(logs("während des Kopierens verändert"));
}

// A source replaced or written to after its copy was made, before the batch
// of deletes came: the file at the source's name is not the one copied.
TEST_F(NoLossTest, ASourceChangedAfterItsCopyIsNotDeleted) {
  settings.loeschen = 1;
  acrossFileSystems();
  put("in/a.mp3", engine_test::taggedMp3({"Solaris", "", "Regen", ""}, 1));
  platform::faults::onCall(Op::sync, [this](std::string_view) {
    if (read("in/a.mp3").size() < 5000) put("in/a.mp3", read("in/a.mp3") + std::string(5000, 'x'));
  });
  sort();
  EXPECT_TRUE(exists("in/a.mp3"));
  EXPECT_TRUE(exists("out/Kuenstler/Solaris/Regen.MP3"));
  EXPECT_TRUE(logs("Quelle nicht gelöscht: seit dem Kopieren verändert"));
}

TEST_F(NoLossTest, AFullDiskStopsTheScanWithOneMessage) {
  settings.loeschen = settings.kollision = 1;
  for (int i = 0; i < 6; ++i) {
    const std::string n = std::to_string(i);
    put("in/s" + n + ".mp3", engine_test::taggedMp3({"A", "", "T" + n, ""}, i));
  }
  acrossFileSystems();
  platform::faults::failFrom(Op::copy, 3, Failure::noSpace);
  sort();
  EXPECT_EQ(files("out"), (Names{"Kuenstler/A/T0.MP3", "Kuenstler/A/T1.MP3"}));
  EXPECT_EQ(files("in"), (Names{"s2.mp3", "s3.mp3", "s4.mp3", "s5.mp3"}));
  EXPECT_EQ(platform::faults::callCount(Op::copy), 3);  // nothing tried after the full one
  EXPECT_EQ(scanCounters.duplicates, 0u);               // a failure is no collision
  EXPECT_TRUE(scanProblems.targetFull);
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_TRUE(recorder.messages[0].first.starts_with("Ziel voll"));
  EXPECT_TRUE(logs("konnte nicht kopiert werden: kein Platz mehr auf dem Ziel"));
}

// A title or name with no Latin letter must not be cleaned away.
TEST_F(NoLossTest, CleaningNeverLeavesANameEmpty) {
  settings.saeubern = settings.kollision = 1;
  const char* titles[] = {"Песня", "日本の歌", "!!!", "Gut & Böse"};
  int seed = 0;
  for (const char* title : titles) {
    const std::string tag = id3::tag(4, {id3::frame(4, "TPE1", id3::textBody(id3::Encoding::utf8, "A")),
                                         id3::frame(4, "TIT2", id3::textBody(id3::Encoding::utf8, title))});
    put("in/" + std::to_string(seed) + ".mp3", id3::mp3File(tag, 2000, "", seed));
    ++seed;
  }
  sort();
  EXPECT_EQ(files("out"), (Names{"Kuenstler/A/!!!.MP3", "Kuenstler/A/Gut and Boese.MP3",
                                 "Kuenstler/A/Песня.MP3", "Kuenstler/A/日本の歌.MP3"}));
  // Cleaning in place leaves such a file as it is.
  emptyOut();
  settings = Settings{};
  settings.nursaeubern = 1;
  put("in/x/日本の歌.mp3", "a");
  put("in/x/Über.mp3", "b");
  sort("in/x");
  EXPECT_EQ(files("in/x"), (Names{"Ueber.mp3", "日本の歌.mp3"}));
}

#ifndef _WIN32
TEST_F(NoLossTest, LinksAreNeitherReadNorWrittenThrough) {
  settings.loeschen = settings.cover = 1;
  put("outside/secret.txt", "not a song");
  put("outside/keep/x", "");
  ASSERT_TRUE(symlink(path("outside/secret.txt"), "in/passwd.mp3"));
  ::chmod(path("outside/secret.txt").c_str(), 0444);
  // An artist folder in the target that is a link sends nothing out of it.
  makeFolders("out/Kuenstler");
  ASSERT_TRUE(symlink(path("outside/keep"), "out/Kuenstler/Solaris"));
  put("in/a.mp3", engine_test::taggedMp3({"Solaris", "", "Regen", ""}, 1));
  sort();
  EXPECT_EQ(files("outside"), (Names{"keep/x", "secret.txt"}));
  EXPECT_EQ(read("outside/secret.txt"), "not a song");
  EXPECT_EQ(fs::status(testing_support::fsPath(path("outside/secret.txt"))).permissions() &
                fs::perms::owner_write,
            fs::perms::none);
  EXPECT_TRUE(exists("out/Kuenstler/!Fehler/Regen.MP3"));
  EXPECT_FALSE(exists("in/a.mp3"));  // stored in "!Fehler", so it went
  EXPECT_TRUE(logs("Verknüpfung übersprungen Pfad:" + path("in/passwd.mp3")));
}

// Planted in the log's place: a pipe would hang the run, a link would send
// the log elsewhere. Each makes that one write fail with one message.
TEST_F(NoLossTest, APlantedLogFailsOnceAndNothingHangs) {
  put("elsewhere", "mine");
  for (bool pipe : {true, false}) {
    fs::remove(testing_support::fsPath(logPath));
    if (pipe) {
      ASSERT_EQ(::mkfifo(logPath.c_str(), 0600), 0);
    } else {
      ASSERT_TRUE(symlink(path("elsewhere"), "config/liedkorb.LOG"));
    }
    recorder.messages.clear();
    // An artist folder that cannot be made: each file reports it to the log.
    platform::faults::failPath(Op::makeFolder, path("out/Kuenstler/B"));
    for (int i = 0; i < 3; ++i) put("in/" + std::to_string(i) + ".mp3", engine_test::taggedMp3({"B", "", "T", ""}, i));
    sort();
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_TRUE(recorder.messages[0].first.starts_with("Protokolldatei"));
  }
  EXPECT_EQ(read("elsewhere"), "mine");
}
#endif

TEST_F(NoLossTest, APlantedPictureLinkIsReplacedNotWrittenThrough) {
  settings.cover = 1;
  put("outside.txt", "mine");
  auto text = [](const char* id, const char* value) {
    return id3::frame(3, id, id3::textBody(id3::Encoding::latin1, value));
  };
  put("in/a.mp3",
      id3::mp3File(id3::tag(3, {text("TPE1", "A"), text("TIT2", "T"),
                                id3::frame(3, "APIC", id3::apicBody("image/jpeg", id3::jpegPicture(500)))}),
                   2000, "", 3));
  makeFolders("out/Kuenstler/A");
  if (!symlink(path("outside.txt"), "out/Kuenstler/A/T.JPG")) GTEST_SKIP() << "no symbolic links here";
  sort();
  EXPECT_EQ(read("outside.txt"), "mine");
  EXPECT_EQ(read("out/Kuenstler/A/T.JPG"), id3::jpegPicture(500));
}

TEST_F(NoLossTest, ASecondRunOnTheSameConfigFolderIsRefused) {
  put("in/a.mp3", engine_test::untaggedMp3(1));
  platform::FolderLock other;
  ASSERT_TRUE(other.acquire(path("config")));
  sort();
  EXPECT_EQ(files("out"), Names{});
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_TRUE(recorder.messages[0].first.starts_with("Ein anderer Lauf von Liedkorb"));
  other.release();
  sort();
  EXPECT_EQ(files("out"), Names{"Ohne ID3-Tag/a.mp3"});
  EXPECT_FALSE(runLockHeld());
}

// Sort A into T with crc and loeschen: T holds the only copies. Sorting T
// again must not delete them as duplicates of themselves; a duplicate whose
// recorded copy is gone or changed stays too.
TEST_F(NoLossTest, TheLastCopyIsNeverDeletedAsADuplicate) {
  settings.crc = settings.loeschen = 1;
  std::vector<std::string> songs;
  for (int i = 0; i < 4; ++i) {
    songs.push_back(engine_test::taggedMp3({"A", "", "T" + std::to_string(i), ""}, i));
    put("in/" + std::to_string(i) + ".mp3", songs.back());
  }
  sort();
  ASSERT_EQ(files("in"), Names{});
  makeFolders("u");
  sort("out", "u");
  EXPECT_EQ(files("out"), (Names{"Kuenstler/A/T0.MP3", "Kuenstler/A/T1.MP3", "Kuenstler/A/T2.MP3",
                                 "Kuenstler/A/T3.MP3"}));
  EXPECT_TRUE(logs("die Datei ist selbst die Kopie"));
  // The same songs again: the copy of T0 was deleted by the user, that of T1
  // changed; T2's copy stands, so only its second source goes.
  fs::remove(testing_support::fsPath(path("out/Kuenstler/A/T0.MP3")));
  put("out/Kuenstler/A/T1.MP3", "edited");
  for (int i = 0; i < 3; ++i) put("again/" + std::to_string(i) + ".mp3", songs[i]);
  sort("again");
  EXPECT_EQ(files("again"), (Names{"0.mp3", "1.mp3"}));
  EXPECT_TRUE(logs("Kopie nicht mehr vorhanden"));
  EXPECT_TRUE(logs("Kopie wurde verändert"));
}

// On one file system the last target of a deleted source is the file itself,
// moved there: nothing to write again, nothing to wait for. A file written to
// since its checksum is copied instead, and kept.
TEST_F(NoLossTest, TheLastTargetTakesTheFileItselfUnlessItChanged) {
  settings.loeschen = settings.genre = 1;
  put("in/a.mp3", engine_test::taggedMp3({"A", "", "T", "Pop"}, 1));
  const platform::FileId original = platform::fileInfo(path("in/a.mp3")).id;
  sort();
  EXPECT_EQ(files("in"), Names{});
  EXPECT_EQ(platform::fileInfo(path("out/Genre/Pop/a.mp3")).id, original);
  EXPECT_NE(platform::fileInfo(path("out/Kuenstler/A/T.MP3")).id, original);
  emptyOut();
  settings.genre = 0;
  put("in/b.mp3", engine_test::taggedMp3({"B", "", "T", ""}, 2));
  // Written to once its folder stands, just before it would be moved.
  platform::faults::onCall(Op::query, [this](std::string_view p) {
    if (p == path("in/b.mp3") && exists("out/Kuenstler/B") && read("in/b.mp3").size() < 5000) {
      put("in/b.mp3", read("in/b.mp3") + std::string(5000, 'x'));
    }
  });
  sort();
  EXPECT_TRUE(exists("in/b.mp3"));
  EXPECT_EQ(read("out/Kuenstler/B/T.MP3"), read("in/b.mp3"));
  EXPECT_TRUE(logs("Quelle nicht gelöscht: während des Sortierens verändert"));
}

// Sorting a sorted tree into itself: every file already stands where it
// belongs and is left alone, without a number and without a count.
TEST_F(NoLossTest, AFileIsNeverCopiedOntoItself) {
  settings.kollision = 1;
  put("out/Kuenstler/A/T.MP3", engine_test::taggedMp3({"A", "", "T", ""}, 1));
  sort("out/Kuenstler/A");
  EXPECT_EQ(files("out"), Names{"Kuenstler/A/T.MP3"});
  EXPECT_EQ(scanCounters.files + scanCounters.duplicates, 0u);
}

// The sync order, from the seam's record: a source is deleted only after
// every copy of it and the folder holding each copy were synced.
TEST_F(NoLossTest, EverySourceIsDeletedAfterItsCopiesAreSynced) {
  settings.loeschen = settings.genre = settings.crc = 1;
  put("in/a.mp3", engine_test::taggedMp3({"A", "", "T", "Pop"}, 1));
  put("in/b.mp3", engine_test::untaggedMp3(2));
  put("in/sub/a2.mp3", read("in/a.mp3"));  // a duplicate: its recorded copy must be synced
  acrossFileSystems();
  platform::faults::setRecording(true);
  sort();
  ASSERT_EQ(files("in"), Names{}) << log();
  const std::vector<platform::faults::Call>& calls = platform::faults::recordedCalls();
  std::vector<std::string> synced;
  std::map<std::string, std::vector<std::string>> copiesOf;
  int removes = 0;
  for (const auto& call : calls) {
    if (call.op == Op::copy) copiesOf[call.source].push_back(call.path);
    if (call.op == Op::sync) synced.push_back(call.path);
    if (call.op != Op::remove) continue;
    ++removes;
    std::vector<std::string> needed = copiesOf[call.path];
    if (needed.empty()) needed = copiesOf[path("in/a.mp3")];  // the duplicate's stored copy
    ASSERT_FALSE(needed.empty()) << call.path;
    for (const std::string& copy : needed) {
      const std::string folder = copy.substr(0, copy.find_last_of(pathSeparator));
      for (const std::string& must : {copy, folder}) {
        EXPECT_NE(std::find(synced.begin(), synced.end(), must), synced.end())
            << call.path << " deleted before " << must << " was synced";
      }
    }
  }
  EXPECT_EQ(removes, 3);
}

}  // namespace
