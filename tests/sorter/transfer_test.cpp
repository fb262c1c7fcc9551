#include <gtest/gtest.h>

#include <string>

#include "common/controls.h"
#include "common/state.h"
#include "platform/faults.h"
#include "sorter/transfer.h"
#include "tests/sorter/engine_fixture.h"

namespace {

using engine_test::EngineTest;
using platform::faults::Op;

class TransferTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    song = engine_test::untaggedMp3(11);
    put("in/a.mp3", song);
    makeFolders("out/X");
  }
  TransferOutcome transfer(const std::string& targetRelative) {
    return transferFile(path("in/a.mp3"), path(targetRelative));
  }
  std::string song;
};

TEST_F(TransferTest, CopyStoresAndCountsTheFile) {
  EXPECT_EQ(transfer("out/X/Song.MP3"), TransferOutcome::copied);
  EXPECT_EQ(read("out/X/Song.MP3"), song);
  EXPECT_TRUE(exists("in/a.mp3"));
  EXPECT_EQ(scanCounters.files, 1u);
  EXPECT_EQ(recorder.numbers[control::filesCounter], 1u);
}

TEST_F(TransferTest, TakenNameWithoutKollisionStoresNothing) {
  put("out/X/Song.MP3", "older");
  EXPECT_EQ(transfer("out/X/Song.MP3"), TransferOutcome::nothing);
  EXPECT_EQ(read("out/X/Song.MP3"), "older");
  EXPECT_EQ(scanCounters.files, 0u);
  EXPECT_EQ(scanCounters.duplicates, 0u);
  EXPECT_EQ(tree("out/X").size(), 1u);
}

TEST_F(TransferTest, KollisionTakesTheFirstFreeNumberAndItsOwnCover) {
  settings.kollision = 1;
  settings.cover = 1;
  std::string picture = id3::jpegPicture(400);
  std::string withCover = id3::mp3File(
      id3::tag(3, {id3::frame(3, "APIC", id3::apicBody("image/jpeg", picture))}), 3000, "", 5);
  put("in/a.mp3", withCover);
  for (const char* taken : {"Song", "Song-00", "Song-01", "Song-02", "Song-03"}) {
    put(std::string("out/X/") + taken + ".MP3", "taken");
  }
  EXPECT_EQ(transfer("out/X/Song.MP3"), TransferOutcome::copied);
  EXPECT_EQ(read("out/X/Song-04.MP3"), withCover);
  EXPECT_EQ(scanCounters.files, 1u);
  EXPECT_EQ(scanCounters.duplicates, 1u);
  // The picture comes from the numbered copy and stands beside it.
  EXPECT_TRUE(exists("out/X/Song-04.JPG"));
  EXPECT_FALSE(exists("out/X/Song.JPG"));
}

TEST_F(TransferTest, KollisionWithAllTenNumbersTakenStoresNothing) {
  settings.kollision = 1;
  put("out/X/Song.MP3", "taken");
  for (int n = 0; n < 10; ++n) put("out/X/Song-0" + std::to_string(n) + ".MP3", "taken");
  EXPECT_EQ(transfer("out/X/Song.MP3"), TransferOutcome::nothing);
  EXPECT_EQ(scanCounters.files, 0u);
  EXPECT_EQ(scanCounters.duplicates, 1u);
  EXPECT_EQ(tree("out/X").size(), 11u);
}

TEST_F(TransferTest, KollisionIntoAMissingFolderCountsOneCollision) {
  settings.kollision = 1;
  EXPECT_EQ(transfer("out/Missing/Song.MP3"), TransferOutcome::nothing);
  EXPECT_EQ(platform::faults::callCount(Op::copy), 11);
  EXPECT_EQ(scanCounters.duplicates, 1u);
  EXPECT_FALSE(exists("out/Missing"));
}

TEST_F(TransferTest, SaeubernCleansOnlyTheName) {
  settings.saeubern = 1;
  makeFolders("out/A.b");
  EXPECT_EQ(transfer("out/A.b/Rock & Roll!.Mp3"), TransferOutcome::copied);
  EXPECT_TRUE(exists("out/A.b/Rock and Roll.Mp3"));
}

TEST_F(TransferTest, NumberIsAddedAfterTheCut) {
  settings.saeubern = 1;
  settings.kollision = 1;
  std::string cut(38, 'n');
  put("out/X/" + cut + ".MP3", "taken");
  EXPECT_EQ(transfer("out/X/" + std::string(50, 'n') + ".MP3"), TransferOutcome::copied);
  EXPECT_TRUE(exists("out/X/" + cut + "-00.MP3"));
}

TEST_F(TransferTest, OverLongTargetIsRefusedNotCut) {
  settings.kollision = 1;
  std::string target = "out/X/" + std::string(maxPathLength, 'l') + ".MP3";
  EXPECT_EQ(transfer(target), TransferOutcome::nothing);
  EXPECT_EQ(platform::faults::callCount(Op::copy), 0);
  EXPECT_EQ(scanCounters.files, 0u);
  EXPECT_EQ(scanCounters.duplicates, 0u);
  EXPECT_EQ(tree("out/X").size(), 0u);
}

TEST_F(TransferTest, RenameModeTakesTheUncleanedNameAndTheOwnExtension) {
  settings.umbenennen = 1;
  settings.saeubern = 1;
  put("in/b.Mp3", song);
  EXPECT_EQ(transferFile(path("in/b.Mp3"), path("out/X/Regen (live).MP3")),
            TransferOutcome::renamed);
  EXPECT_EQ(read("in/Regen (live).Mp3"), song);
  EXPECT_FALSE(exists("in/b.Mp3"));
  // A second target of the same file finds no source any more.
  EXPECT_EQ(transferFile(path("in/b.Mp3"), path("out/Y/b.Mp3")), TransferOutcome::nothing);
  EXPECT_EQ(scanCounters.files, 0u);
}

TEST_F(TransferTest, NameOnlyCountsOnlyRenamesThatHappened) {
  settings.nursaeubern = 1;
  struct Case {
    std::string name;
    std::string renamed;  // empty: stays as it is
    std::uint32_t filesAfter;
  };
  put("in/Taken.mp3", "other");
  const Case cases[] = {
      {"Clean Name-1.mp3", "", 0},
      {"Über & Co.mp3", "Ueber and Co.mp3", 1},
      {"Tak.en.mp3", "", 1},  // cleans to Taken.mp3, which exists
  };
  for (const Case& c : cases) {
    put("in/" + c.name, song);
    std::string source = path("in/" + c.name);
    TransferOutcome outcome = transferFile(source, source);
    EXPECT_EQ(outcome, c.renamed.empty() ? TransferOutcome::nothing : TransferOutcome::renamed)
        << c.name;
    EXPECT_EQ(exists("in/" + c.name), c.renamed.empty()) << c.name;
    if (!c.renamed.empty()) {
      EXPECT_EQ(read("in/" + c.renamed), song);
    }
    EXPECT_EQ(scanCounters.files, c.filesAfter) << c.name;
  }
  EXPECT_EQ(read("in/Taken.mp3"), "other");
}

}  // namespace
