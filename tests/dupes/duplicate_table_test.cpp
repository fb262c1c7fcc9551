#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <utility>
#include <string>

#include "common/controls.h"
#include "common/limits.h"
#include "platform/faults.h"
#include "tests/dupes/dupes_fixture.h"

namespace {

using platform::faults::Op;

class DuplicateTableTest : public DupesTest {};

TEST_F(DuplicateTableTest, SecondIdenticalFileIsCountedAndShown) {
  EXPECT_FALSE(checkAndStore(file("a.mp3", "same bytes")));
  EXPECT_TRUE(checkAndStore(file("b.mp3", "same bytes")));
  EXPECT_TRUE(checkAndStore(file("c.mp3", "same bytes")));
  EXPECT_EQ(duplicateCount(), 1u);
  EXPECT_EQ(scanCounters.duplicates, 2u);
  EXPECT_EQ(recorder.numbers[control::duplicatesCounter], 2u);
}

struct PairCase {
  const char* what;
  const char* first;
  const char* second;
  bool duplicate;
};

TEST_F(DuplicateTableTest, PairsOfFiles) {
  const PairCase cases[] = {
      {"equal size, other content", "abcd", "abce", false},
      {"same prefix, other size", "abc", "abcd", false},
      {"both empty", "", "", true},
  };
  for (const PairCase& c : cases) {
    clearDuplicateTable();
    checkAndStore(file("first", c.first));
    EXPECT_EQ(checkDuplicate(file("second", c.second)), c.duplicate) << c.what;
  }
}

TEST_F(DuplicateTableTest, FileNeverStoredLeavesNoEntry) {
  const std::string a = file("a.mp3", "content");
  EXPECT_FALSE(checkDuplicate(a));
  // Placement failed to store it: checking it again must not find itself.
  EXPECT_FALSE(checkDuplicate(a));
  EXPECT_FALSE(checkDuplicate(file("copy.mp3", "content")));
  EXPECT_EQ(duplicateCount(), 0u);
}

TEST_F(DuplicateTableTest, StoredFileIsRecordedOnce) {
  recordStoredFile();
  EXPECT_EQ(duplicateCount(), 0u);
  checkDuplicate(file("a.mp3", "content"));
  recordStoredFile();  // the artist copy
  recordStoredFile();  // the genre copy
  EXPECT_EQ(duplicateCount(), 1u);
}

TEST_F(DuplicateTableTest, FileWithoutChecksumIsNeitherDuplicateNorRecorded) {
  // An empty file records (0, 0): the pair a failed checksum would produce.
  checkAndStore(file("empty.mp3", ""));
  const std::string broken = file("broken.mp3", std::string(checksumChunkSize + 10, 'x'));
  platform::faults::failNth(Op::read, 2);
  EXPECT_FALSE(checkAndStore(broken));
  EXPECT_FALSE(checkAndStore(path("missing.mp3")));
  EXPECT_EQ(duplicateCount(), 1u);
  EXPECT_EQ(scanCounters.duplicates, 0u);
}

TEST_F(DuplicateTableTest, CheckRunsOnlyWithCrcExactlyOne) {
  const std::string a = file("a.mp3", "content");
  checkAndStore(a);
  for (int value : {0, 2, -1}) {
    settings.crc = value;
    const int opens = platform::faults::callCount(Op::open);
    EXPECT_FALSE(checkAndStore(file("b.mp3", "content"))) << value;
    EXPECT_FALSE(checkAndStore(file("c.mp3", "other"))) << value;
    EXPECT_EQ(platform::faults::callCount(Op::open), opens) << value;
  }
  EXPECT_EQ(duplicateCount(), 1u);
}

TEST_F(DuplicateTableTest, FullTableStillFindsButNoLongerRecords) {
  const std::string known = file("known.mp3", "known");
  const std::uint32_t knownCrc = crc32Portable(0, "known", 5);
  for (std::uint32_t n = 0; n < duplicateCapacity; ++n) duplicateTable.storage[n] = {n + 100, n};
  duplicateTable.storage[duplicateCapacity - 1] = {5, knownCrc};
  duplicateTable.count = duplicateCapacity;
  rebuildDuplicateIndex();

  EXPECT_TRUE(checkAndStore(known));
  EXPECT_FALSE(checkAndStore(file("new.mp3", "new")));
  EXPECT_EQ(duplicateCount(), duplicateCapacity);
  EXPECT_FALSE(checkDuplicate(file("again.mp3", "new")));
}

TEST_F(DuplicateTableTest, IndexAnswersLikeAScan) {
  // Few distinct sizes and checksums, repeated pairs, and slots beyond the
  // count holding pairs that must not be found.
  std::mt19937 random(9);
  const std::uint32_t count = 5000;
  for (std::uint32_t n = 0; n < count + 200; ++n) {
    const auto size = static_cast<std::uint32_t>(random() % 40);
    const auto crc = static_cast<std::uint32_t>(random() % 200 + (n >= count ? 1000 : 0));
    duplicateTable.storage[n] = {size, crc};
  }
  duplicateTable.count = count;
  rebuildDuplicateIndex();
  // What a scan over entries 0 .. count-1 would find.
  std::set<std::pair<std::uint32_t, std::uint32_t>> scanned;
  for (std::uint32_t n = 0; n < count; ++n) {
    scanned.emplace(duplicateTable.storage[n].size, duplicateTable.storage[n].checksum);
  }
  for (std::uint32_t size = 0; size < 42; ++size) {
    for (std::uint32_t crc = 0; crc < 1300; ++crc) {
      ASSERT_EQ(containsDuplicatePair(size, crc), scanned.count({size, crc}) == 1) << size << " " << crc;
    }
  }
}

TEST_F(DuplicateTableTest, ClearZeroesStorageCountAndCounters) {
  const std::string a = file("a.mp3", "content");
  checkAndStore(a);
  checkAndStore(file("b.mp3", "other"));
  checkAndStore(file("c.mp3", "content"));
  scanCounters.files = 3;
  clearDuplicateTable();
  EXPECT_EQ(duplicateCount(), 0u);
  const DuplicateEntry* begin = duplicateTable.storage.get();
  EXPECT_TRUE(std::all_of(begin, begin + duplicateCapacity,
                          [](const DuplicateEntry& e) { return e.size == 0 && e.checksum == 0; }));
  EXPECT_EQ(scanCounters.files, 0u);
  EXPECT_EQ(scanCounters.duplicates, 0u);
  EXPECT_EQ(recorder.numbers.at(control::filesCounter), 0u);
  EXPECT_EQ(recorder.numbers.at(control::duplicatesCounter), 0u);
  EXPECT_FALSE(checkAndStore(a));
}

}  // namespace
