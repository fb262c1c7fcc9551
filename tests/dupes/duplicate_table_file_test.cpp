#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/limits.h"
#include "common/shell.h"
#include "platform/faults.h"
#include "tests/dupes/dupes_fixture.h"

namespace {

using platform::faults::Op;
using testing_support::fileExists;
using testing_support::readFile;
using testing_support::writeFile;

constexpr std::size_t fileSize = 1600004;

void putLe32(std::string& image, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) image[at + i] = static_cast<char>(v >> (8 * i));
}

// The bytes of a table file: the count, the entries in slots 0, 1, ...,
// zeros up to length.
std::string tableImage(std::uint32_t count, const std::vector<DuplicateEntry>& entries,
                       std::size_t length = fileSize) {
  std::string image(std::max(length, 4 + 8 * entries.size()), '\0');
  putLe32(image, 0, count);
  for (std::size_t k = 0; k < entries.size(); ++k) {
    putLe32(image, 4 + 8 * k, entries[k].size);
    putLe32(image, 8 + 8 * k, entries[k].checksum);
  }
  image.resize(length);
  return image;
}

class DuplicateTableFileTest : public DupesTest {
 protected:
  bool tableIsEmpty() const {
    const DuplicateEntry* begin = duplicateTable.storage.get();
    return duplicateTable.count == 0 &&
           std::all_of(begin, begin + duplicateCapacity,
                       [](const DuplicateEntry& e) { return e.size == 0 && e.checksum == 0; });
  }
  void expectOneFileError() {
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].first, "Dateifehler bei CRC-Tabelle");
    EXPECT_EQ(recorder.messages[0].second, errorCaption);
  }
  const std::vector<DuplicateEntry> threeEntries{{0x01020304, 0xA1B2C3D4}, {7, 8}, {0, 0}};
};

TEST_F(DuplicateTableFileTest, LivesInTheConfigFolder) {
  EXPECT_EQ(duplicateTablePath(), path("config/CRC.BIN"));
}

struct LoadCase {
  std::size_t length;
  std::uint32_t count;
  bool loads;
};

TEST_F(DuplicateTableFileTest, LoadChecksLengthAndCount) {
  const LoadCase cases[] = {
      {fileSize - 1, 3, false},  {fileSize, 3, true},  {fileSize + 1, 3, true},
      {4, 0, false},             {0, 0, false},        {fileSize, duplicateCapacity + 1, false},
      {fileSize, 0xFFFFFFFF, false},
  };
  for (const LoadCase& c : cases) {
    emptyDuplicateTable();
    recorder.messages.clear();
    settings.crc = 1;
    scanCounters.files = 42;
    writeFile(duplicateTablePath(), tableImage(c.count, threeEntries, c.length));
    loadDuplicateTable();
    SCOPED_TRACE(testing::Message() << "length " << c.length << " count " << c.count);
    if (c.loads) {
      EXPECT_TRUE(recorder.messages.empty());
      EXPECT_EQ(settings.crc, 1);
      EXPECT_EQ(duplicateCount(), 3u);
      EXPECT_EQ(scanCounters.files, 3u);
      EXPECT_TRUE(containsDuplicatePair(0x01020304, 0xA1B2C3D4));
      EXPECT_TRUE(containsDuplicatePair(0, 0));
    } else {
      expectOneFileError();
      EXPECT_EQ(settings.crc, 0);
      EXPECT_TRUE(tableIsEmpty());
      EXPECT_EQ(scanCounters.files, 42u);
      EXPECT_FALSE(containsDuplicatePair(7, 8));
    }
  }
}

TEST_F(DuplicateTableFileTest, LoadOfAFullTable) {
  std::vector<DuplicateEntry> entries(duplicateCapacity);
  for (std::uint32_t n = 0; n < duplicateCapacity; ++n) entries[n] = {n, ~n};
  writeFile(duplicateTablePath(), tableImage(duplicateCapacity, entries));
  loadDuplicateTable();
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_EQ(scanCounters.files, duplicateCapacity);
  EXPECT_TRUE(containsDuplicatePair(duplicateCapacity - 1, ~(duplicateCapacity - 1)));
}

TEST_F(DuplicateTableFileTest, MissingFileFailsToLoad) {
  loadDuplicateTable();
  expectOneFileError();
  EXPECT_EQ(settings.crc, 0);
}

TEST_F(DuplicateTableFileTest, SaveWritesTheLittleEndianImage) {
  checkAndStore(file("a.mp3", "123456789"));
  checkAndStore(file("b.mp3", ""));
  saveDuplicateTable();
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_EQ(readFile(duplicateTablePath()), tableImage(2, {{9, 0xCBF43926}, {0, 0}}));
  EXPECT_FALSE(fileExists(duplicateTablePath() + ".tmp"));
}

TEST_F(DuplicateTableFileTest, SaveAndLoadRoundTrip) {
  checkAndStore(file("a.mp3", "first"));
  checkAndStore(file("b.mp3", "second"));
  writeFile(duplicateTablePath() + ".tmp", "left over by a crash");
  saveDuplicateTable();
  clearDuplicateTable();
  loadDuplicateTable();
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_EQ(scanCounters.files, 2u);
  EXPECT_TRUE(checkDuplicate(file("c.mp3", "second")));
  EXPECT_FALSE(checkDuplicate(file("d.mp3", "third")));
}

struct SaveFault {
  Op op;
  int n;
};

TEST_F(DuplicateTableFileTest, FailedSaveKeepsThePreviousFile) {
  // 1,600,004 bytes go out in 49 writes; the first, a middle and the last fail.
  const SaveFault faults[] = {{Op::write, 1}, {Op::write, 25}, {Op::write, 49}, {Op::create, 1},
                              {Op::replace, 1}};
  const std::string previous = tableImage(1, {{5, 6}});
  checkAndStore(file("a.mp3", "content"));
  for (const SaveFault& f : faults) {
    SCOPED_TRACE(testing::Message() << "fault " << static_cast<int>(f.op) << " at " << f.n);
    writeFile(duplicateTablePath(), previous);
    recorder.messages.clear();
    platform::faults::reset();
    platform::faults::failNth(f.op, f.n);
    saveDuplicateTable();
    expectOneFileError();
    EXPECT_EQ(readFile(duplicateTablePath()), previous);
    EXPECT_FALSE(fileExists(duplicateTablePath() + ".tmp"));
  }
}

TEST_F(DuplicateTableFileTest, WithoutStorageNothingIsReadOrWritten) {
  const std::string previous = tableImage(1, {{5, 6}});
  writeFile(duplicateTablePath(), previous);
  freeDuplicateStorage();
  loadDuplicateTable();
  EXPECT_EQ(settings.crc, 0);
  saveDuplicateTable();
  EXPECT_EQ(recorder.messages.size(), 2u);
  EXPECT_EQ(readFile(duplicateTablePath()), previous);
  // The check and the reset button work on, without a table.
  settings.crc = 1;
  EXPECT_FALSE(checkAndStore(file("a.mp3", "x")));
  EXPECT_FALSE(checkAndStore(file("b.mp3", "x")));
  clearDuplicateTable();
  EXPECT_EQ(duplicateCount(), 0u);
}

}  // namespace
