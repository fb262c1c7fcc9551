#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "common/limits.h"
#include "common/shell.h"
#include "dupes/checksum.h"
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
  // The config folder holds these names and nothing of ours half-written.
  void expectConfigFiles(const std::vector<std::string>& names) {
    EXPECT_EQ(testing_support::listTree(path("config")), names);
  }
};

TEST_F(DuplicateTableFileTest, LoadChecksLengthAndCountAndKeepsADamagedFile) {
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
    std::filesystem::remove(testing_support::fsPath(duplicateTablePath() + ".defekt"));
    emptyDuplicateTable();
    recorder.messages.clear();
    settings.crc = 1;
    scanCounters.files = 42;
    const std::vector<DuplicateEntry>& entries = count > 3 ? full : threeEntries;
    const std::string image = tableImage(count, entries, length);
    writeFile(duplicateTablePath(), image);
    loadDuplicateTable();
    EXPECT_EQ(recorder.messages.size(), loads ? 0u : 1u);
    EXPECT_EQ(settings.crc, loads ? 1 : 0);
    EXPECT_EQ(scanCounters.files, loads ? count : 42u);
    EXPECT_EQ(duplicateCount(), loads ? count : 0u);
    EXPECT_EQ(tableIsEmpty(), !loads);
    EXPECT_EQ(containsDuplicatePair(entries.front().size, entries.front().checksum), loads);
    EXPECT_EQ(containsDuplicatePair(entries.back().size, entries.back().checksum), loads);
    if (loads) continue;
    // The damaged file is kept, byte for byte, where no save can reach it.
    EXPECT_EQ(recorder.messages[0].first,
              "Dateifehler bei CRC-Tabelle\nDie unlesbare Datei bleibt erhalten als\n" +
                  duplicateTablePath() + ".defekt");
    EXPECT_EQ(readFile(duplicateTablePath() + ".defekt"), image);
    EXPECT_FALSE(fileExists(duplicateTablePath()));
  }
  // A missing file fails in the same way, with nothing to keep.
  recorder.messages.clear();
  settings.crc = 1;
  loadDuplicateTable();
  expectOneFileError();
  EXPECT_EQ(settings.crc, 0);
  // An earlier kept file is never overwritten.
  writeFile(duplicateTablePath(), "short");
  loadDuplicateTable();
  EXPECT_EQ(readFile(duplicateTablePath() + ".defekt-2"), "short");
}

TEST_F(DuplicateTableFileTest, SaveWritesTheImageAndWhereTheCopiesLie) {
  checkAndStore(file("a.mp3", "123456789"));
  checkAndStore(file("b.mp3", ""));
  writeFile(path("config/.liedkorb-999999999-0123abcd.tmp"), "left over by a crash");
  saveDuplicateTable();
  EXPECT_EQ(readFile(path("config/CRC.BIN")), tableImage(2, {{9, 0xCBF43926}, {0, 0}}));
  EXPECT_EQ(readFile(storedCopiesPath()),
            "# Liedkorb: wo die Kopie jedes Paares aus CRC.BIN liegt\n9\tcbf43926\t" + path("a.mp3") +
                "\n0\t0\t" + path("b.mp3") + "\n");
  clearDuplicateTable();
  loadDuplicateTable();
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_EQ(scanCounters.files, 2u);
  EXPECT_EQ(checkDuplicate(file("c.mp3", "123456789")), 0u);
  EXPECT_EQ(storedCopyPath(0), path("a.mp3"));
  EXPECT_FALSE(checkDuplicate(file("d.mp3", "third")));
}

// Two runs that loaded the same file: the one that saves last keeps the
// pairs the other appended, but not those it emptied itself.
TEST_F(DuplicateTableFileTest, SaveKeepsThePairsAnotherRunSavedMeanwhile) {
  writeFile(duplicateTablePath(), tableImage(1, {{1, 1}}));
  loadDuplicateTable();
  checkAndStore(file("mine.mp3", "mine"));
  // Meanwhile another run saved its own pair after the first.
  writeFile(duplicateTablePath(), tableImage(2, {{1, 1}, {2, 2}}));
  saveDuplicateTable();
  clearDuplicateTable();
  loadDuplicateTable();
  EXPECT_EQ(duplicateCount(), 3u);
  EXPECT_TRUE(containsDuplicatePair(2, 2));
  EXPECT_TRUE(containsDuplicatePair(4, crc32Update(0, "mine", 4)));
}

TEST_F(DuplicateTableFileTest, FailedSaveKeepsThePreviousFile) {
  // The copies file goes first, then the table: each step of either fails.
  const std::pair<Op, int> faults[] = {{Op::create, 1}, {Op::write, 1}, {Op::sync, 1},
                                       {Op::replace, 1}, {Op::create, 2}, {Op::write, 2},
                                       {Op::sync, 3},    {Op::replace, 2}};
  const std::string previous = tableImage(1, {{5, 6}});
  checkAndStore(file("a.mp3", "content"));
  for (const auto& [op, n] : faults) {
    SCOPED_TRACE(testing::Message() << "fault " << static_cast<int>(op) << " at " << n);
    writeFile(duplicateTablePath(), previous);
    recorder.messages.clear();
    platform::faults::reset();
    platform::faults::failNth(op, n);
    saveDuplicateTable();
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_TRUE(recorder.messages[0].first.starts_with("Dateifehler bei CRC-Tabelle"));
    EXPECT_EQ(readFile(duplicateTablePath()), previous);
    std::filesystem::remove(testing_support::fsPath(storedCopiesPath()));
    expectConfigFiles({"CRC.BIN"});
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
