#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <tuple>
#include <utility>

#include "common/controls.h"
#include "common/limits.h"
#include "platform/faults.h"
#include "tests/dupes/dupes_fixture.h"

namespace {

using platform::faults::Op;

class DuplicateTableTest : public DupesTest {};

TEST_F(DuplicateTableTest, PairsOfFiles) {
  const std::tuple<std::string, std::string, bool> cases[] = {
      {"same bytes", "same bytes", true},
      {"abcd", "abce", false},  // equal size, other content
      {"abc", "abcd", false},   // same prefix, other size
      {"", "", true},           // both empty
  };
  for (const auto& [first, second, duplicate] : cases) {
    SCOPED_TRACE(first + " / " + second);
    clearDuplicateTable();
    EXPECT_FALSE(checkAndStore(file("first", first)));
    EXPECT_EQ(checkAndStore(file("second", second)), duplicate);
    // A third file like the second is a duplicate either way.
    EXPECT_TRUE(checkAndStore(file("third", second)));
    EXPECT_EQ(duplicateCount(), duplicate ? 1u : 2u);
    EXPECT_EQ(scanCounters.duplicates, duplicate ? 2u : 1u);
    EXPECT_EQ(recorder.numbers[control::duplicatesCounter], scanCounters.duplicates);
  }
}

TEST_F(DuplicateTableTest, OnlyAStoredFileIsRecordedAndOnlyOnce) {
  recordStoredFile("nothing pending");
  const std::string a = file("a.mp3", "content");
  EXPECT_FALSE(checkDuplicate(a));
  // Placement failed to store it: checking it again must not find itself.
  EXPECT_FALSE(checkDuplicate(a));
  EXPECT_FALSE(checkDuplicate(file("copy.mp3", "content")));
  EXPECT_EQ(duplicateCount(), 0u);
  recordStoredFile("artist copy");
  recordStoredFile("genre copy");
  EXPECT_EQ(duplicateCount(), 1u);
}

TEST_F(DuplicateTableTest, WithoutAChecksumNoDuplicateAndNoEntry) {
  // An empty file records (0, 0): the pair a failed checksum would produce.
  checkAndStore(file("empty.mp3", ""));
  checkAndStore(file("a.mp3", "content"));
  const std::string broken = file("broken.mp3", std::string(checksumChunkSize + 10, 'x'));
  platform::faults::failNth(Op::read, 2);
  EXPECT_FALSE(checkAndStore(broken));
  EXPECT_FALSE(checkAndStore(path("missing.mp3")));
  // With crc anything but 1 no file is even opened.
  for (int value : {0, 2, -1}) {
    settings.crc = value;
    const int opens = platform::faults::callCount(Op::open);
    EXPECT_FALSE(checkAndStore(file("b.mp3", "content"))) << value;
    EXPECT_FALSE(checkAndStore(file("c.mp3", "other"))) << value;
    EXPECT_EQ(platform::faults::callCount(Op::open), opens) << value;
  }
  EXPECT_EQ(duplicateCount(), 2u);
  EXPECT_EQ(scanCounters.duplicates, 0u);
}

TEST_F(DuplicateTableTest, FullTableStillFindsButNoLongerRecords) {
  for (std::uint32_t n = 0; n < duplicateCapacity; ++n) duplicateTable.storage[n] = {n + 100, n};
  duplicateTable.storage[duplicateCapacity - 1] = {5, crc32Portable(0, "known", 5)};
  duplicateTable.count = duplicateCapacity;
  rebuildDuplicateIndex();
  EXPECT_TRUE(checkAndStore(file("known.mp3", "known")));
  EXPECT_FALSE(checkAndStore(file("new.mp3", "new")));
  EXPECT_EQ(duplicateCount(), duplicateCapacity);
  EXPECT_FALSE(checkDuplicate(file("again.mp3", "new")));
}

TEST_F(DuplicateTableTest, IndexAnswersLikeAScan) {
  // Few distinct sizes and checksums, repeated pairs, and slots beyond the
  // count holding pairs that must not be found.
  std::mt19937 random(9);
  const std::uint32_t count = 5000;
  std::set<std::pair<std::uint32_t, std::uint32_t>> scanned;
  for (std::uint32_t n = 0; n < count + 200; ++n) {
    const auto size = static_cast<std::uint32_t>(random() % 40);
    const auto crc = static_cast<std::uint32_t>(random() % 200 + (n >= count ? 1000 : 0));
    duplicateTable.storage[n] = {size, crc};
    if (n < count) scanned.emplace(size, crc);
  }
  duplicateTable.count = count;
  rebuildDuplicateIndex();
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
  EXPECT_TRUE(tableIsEmpty());
  EXPECT_EQ(std::pair(scanCounters.files, scanCounters.duplicates), std::pair(0u, 0u));
  EXPECT_EQ(recorder.numbers.at(control::filesCounter), 0u);
  EXPECT_EQ(recorder.numbers.at(control::duplicatesCounter), 0u);
  EXPECT_FALSE(checkAndStore(a));
}

}  // namespace
