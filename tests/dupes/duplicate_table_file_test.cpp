#include <gtest/gtest.h>

#include <string>
#include <tuple>
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

std::string le32(std::uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
          static_cast<char>(v >> 24)};
}

// The bytes of a table file: the count, the entries in slots 0, 1, ..., zeros
// up to length.
std::string tableImage(std::uint32_t count, const std::vector<DuplicateEntry>& entries,
                       std::size_t length = fileSize) {
  std::string image = le32(count);
  for (const DuplicateEntry& e : entries) image += le32(e.size) + le32(e.checksum);
  image.resize(length, '\0');
  return image;
}

class DuplicateTableFileTest : public DupesTest {
 protected:
  void expectOneFileError() {
    const std::pair<std::string, std::string> fileError{"Dateifehler bei CRC-Tabelle", errorCaption};
    EXPECT_EQ(recorder.messages, std::vector{fileError});
  }
};

TEST_F(DuplicateTableFileTest, LoadChecksLengthAndCount) {
  const std::vector<DuplicateEntry> threeEntries{{0x01020304, 0xA1B2C3D4}, {7, 8}, {0, 0}};
  std::vector<DuplicateEntry> full(duplicateCapacity);
  for (std::uint32_t n = 0; n < duplicateCapacity; ++n) full[n] = {n, ~n};
  // File length, count, whether it loads.
  const std::tuple<std::size_t, std::uint32_t, bool> cases[] = {
      {fileSize - 1, 3, false}, {fileSize, 3, true},  {fileSize + 1, 3, true},
      {4, 0, false},            {0, 0, false},        {fileSize, duplicateCapacity, true},
      {fileSize, duplicateCapacity + 1, false},       {fileSize, 0xFFFFFFFF, false},
  };
  for (const auto& [length, count, loads] : cases) {
    SCOPED_TRACE(testing::Message() << "length " << length << " count " << count);
    emptyDuplicateTable();
    recorder.messages.clear();
    settings.crc = 1;
    scanCounters.files = 42;
    const std::vector<DuplicateEntry>& entries = count > 3 ? full : threeEntries;
    writeFile(duplicateTablePath(), tableImage(count, entries, length));
    loadDuplicateTable();
    if (!loads) expectOneFileError();
    EXPECT_EQ(recorder.messages.empty(), loads);
    EXPECT_EQ(settings.crc, loads ? 1 : 0);
    EXPECT_EQ(scanCounters.files, loads ? count : 42u);
    EXPECT_EQ(duplicateCount(), loads ? count : 0u);
    EXPECT_EQ(tableIsEmpty(), !loads);
    EXPECT_EQ(containsDuplicatePair(entries.front().size, entries.front().checksum), loads);
    EXPECT_EQ(containsDuplicatePair(entries.back().size, entries.back().checksum), loads);
  }
  // A missing file fails in the same way.
  std::filesystem::remove(testing_support::fsPath(duplicateTablePath()));
  recorder.messages.clear();
  settings.crc = 1;
  loadDuplicateTable();
  expectOneFileError();
  EXPECT_EQ(settings.crc, 0);
}

TEST_F(DuplicateTableFileTest, SaveWritesTheLittleEndianImageAndLoadsItBack) {
  checkAndStore(file("a.mp3", "123456789"));
  checkAndStore(file("b.mp3", ""));
  writeFile(path("config/CRC.BIN.tmp"), "left over by a crash");
  saveDuplicateTable();
  EXPECT_EQ(readFile(path("config/CRC.BIN")), tableImage(2, {{9, 0xCBF43926}, {0, 0}}));
  EXPECT_FALSE(fileExists(path("config/CRC.BIN.tmp")));
  clearDuplicateTable();
  loadDuplicateTable();
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_EQ(scanCounters.files, 2u);
  EXPECT_TRUE(checkDuplicate(file("c.mp3", "123456789")));
  EXPECT_FALSE(checkDuplicate(file("d.mp3", "third")));
}

TEST_F(DuplicateTableFileTest, FailedSaveKeepsThePreviousFile) {
  // 1,600,004 bytes go out in 49 writes; the first, a middle and the last fail.
  const std::pair<Op, int> faults[] = {{Op::write, 1},  {Op::write, 25},  {Op::write, 49},
                                       {Op::create, 1}, {Op::replace, 1}};
  const std::string previous = tableImage(1, {{5, 6}});
  checkAndStore(file("a.mp3", "content"));
  for (const auto& [op, n] : faults) {
    SCOPED_TRACE(testing::Message() << "fault " << static_cast<int>(op) << " at " << n);
    writeFile(duplicateTablePath(), previous);
    recorder.messages.clear();
    platform::faults::reset();
    platform::faults::failNth(op, n);
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
