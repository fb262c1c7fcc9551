#include "sorter/transfer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/limits.h"
#include "common/state.h"
#include "tests/sorter/engine_fixture.h"

namespace {

using engine_test::Names;
using Outcome = TransferOutcome;

class TransferTest : public engine_test::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    put("in/a.mp3", song);
  }
  Outcome transfer(const std::string& target) {
    return transferFile(path("in/a.mp3"), path(target)).outcome;
  }
  const std::string song = engine_test::untaggedMp3(11);
};

// A copy never overwrites; with kollision it takes the first free of -00 to
// -09, and the cover is named after the copy that was made.
TEST_F(TransferTest, CopiesAndCollisions) {
  const std::string withCover = id3::mp3File(
      id3::tag(3, {id3::frame(3, "APIC", id3::apicBody("image/jpeg", id3::jpegPicture(400)))}),
      3000, "", 5);
  put("in/a.mp3", withCover);
  settings.cover = 1;
  const struct {
    int kollision;
    int taken;  // "Song", then "Song-00" and on
    std::string target;
    std::string stored;  // empty: nothing
    std::uint32_t collisions;
  } rows[] = {
      {0, 0, "X/Song.MP3", "Song", 0},
      {0, 1, "X/Song.MP3", "", 0},
      {1, 5, "X/Song.MP3", "Song-04", 1},
      {1, 10, "X/Song.MP3", "Song-09", 1},
      {1, 11, "X/Song.MP3", "", 1},
      {1, 0, "Missing/Song.MP3", "", 0},  // a failure, not a collision
      {1, 0, "X/" + std::string(maxPathLength, 'l') + ".MP3", "", 0},  // refused, not cut
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.target.substr(0, 20) + " " + std::to_string(row.taken) + " taken");
    emptyOut();
    makeFolders("out/X");
    scanCounters = {};
    settings.kollision = row.kollision;
    Names expected{"X/"};
    for (int n = 0; n < row.taken; ++n) {
      expected.push_back(n ? "X/Song-0" + std::to_string(n - 1) + ".MP3" : "X/Song.MP3");
      put("out/" + expected.back(), "taken");
    }
    const bool stored = !row.stored.empty();
    EXPECT_EQ(transfer("out/" + row.target), stored ? Outcome::copied : Outcome::nothing);
    if (stored) {
      EXPECT_EQ(read("out/X/" + row.stored + ".MP3"), withCover);
      expected.push_back("X/" + row.stored + ".JPG");
      expected.push_back("X/" + row.stored + ".MP3");
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(tree("out"), expected);
    if (row.taken) {
      EXPECT_EQ(read("out/X/Song.MP3"), "taken");
    }
    EXPECT_EQ(scanCounters.files, stored ? 1u : 0u);
    EXPECT_EQ(scanCounters.duplicates, row.collisions);
  }
  EXPECT_TRUE(exists("in/a.mp3"));
}

TEST_F(TransferTest, SaeubernCleansTheNameAndNumbersAfterTheCut) {
  settings.saeubern = settings.kollision = 1;
  makeFolders("out/A.b");
  EXPECT_EQ(transfer("out/A.b/Rock & Roll!.Mp3"), Outcome::copied);
  EXPECT_TRUE(exists("out/A.b/Rock and Roll.Mp3"));
  const std::string cut(38, 'n');
  put("out/A.b/" + cut + ".MP3", "taken");
  EXPECT_EQ(transfer("out/A.b/" + std::string(50, 'n') + ".MP3"), Outcome::copied);
  EXPECT_TRUE(exists("out/A.b/" + cut + "-00.MP3"));
}

}  // namespace
