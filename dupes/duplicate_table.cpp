#include "dupes/duplicate_table.h"

#include <algorithm>
#include <new>

#include "common/controls.h"
#include "common/limits.h"
#include "common/shell.h"
#include "common/state.h"
#include "dupes/checksum.h"
#include "platform/platform.h"

DuplicateTable duplicateTable;

namespace {

constexpr std::uint32_t indexMask = duplicateIndexSlots - 1;

// The checksum is already well mixed, but sizes repeat and CRCs of
// hand-made tables need not be: a multiplicative hash over both spreads them.
std::uint32_t homeSlot(std::uint32_t size, std::uint32_t checksum) {
  std::uint64_t key = (std::uint64_t{size} << 32) | checksum;
  key *= 0x9E3779B97F4A7C15u;
  return static_cast<std::uint32_t>(key >> 45) & indexMask;
}

// The index slot that holds the pair, or the free slot where it would go.
std::uint32_t& findSlot(std::uint32_t size, std::uint32_t checksum) {
  DuplicateTable& t = duplicateTable;
  std::uint32_t slot = homeSlot(size, checksum);
  for (;;) {
    std::uint32_t& cell = t.index[slot];
    if (cell == 0) return cell;
    const DuplicateEntry& e = t.storage[cell - 1];
    if (e.size == size && e.checksum == checksum) return cell;
    slot = (slot + 1) & indexMask;
  }
}

// Adds entry number n to the index unless an earlier entry has its pair
// (a hand-edited file may repeat one; the first is the one a scan finds).
void indexEntry(std::uint32_t n) {
  const DuplicateEntry& e = duplicateTable.storage[n];
  std::uint32_t& cell = findSlot(e.size, e.checksum);
  if (cell == 0) cell = n + 1;
}

}  // namespace

std::uint32_t duplicateCount() { return duplicateTable.count; }

bool duplicateStorageAllocated() { return duplicateTable.storage != nullptr; }

bool containsDuplicatePair(std::uint32_t size, std::uint32_t checksum) {
  return findDuplicatePair(size, checksum).has_value();
}

std::optional<std::uint32_t> findDuplicatePair(std::uint32_t size, std::uint32_t checksum) {
  if (!duplicateTable.storage || duplicateTable.count == 0) return std::nullopt;
  const std::uint32_t cell = findSlot(size, checksum);
  if (cell == 0) return std::nullopt;
  return cell - 1;
}

bool addDuplicatePair(DuplicateEntry pair, std::string_view copyPath) {
  DuplicateTable& t = duplicateTable;
  if (!t.storage || t.count >= duplicateCapacity) return false;
  std::uint32_t& cell = findSlot(pair.size, pair.checksum);
  if (cell != 0) return false;
  t.storage[t.count] = pair;
  t.copies.resize(t.count);
  t.copies.emplace_back(copyPath);
  cell = ++t.count;
  return true;
}

bool allocateDuplicateStorage() {
  DuplicateTable& t = duplicateTable;
  if (t.storage) return true;
  // Zeroed, so that the slots beyond the count never carry stale heap bytes
  // into CRC.BIN.
  t.storage.reset(new (std::nothrow) DuplicateEntry[duplicateCapacity]());
  t.index.reset(new (std::nothrow) std::uint32_t[duplicateIndexSlots]());
  if (!t.storage || !t.index) {
    freeDuplicateStorage();
    return false;
  }
  t.count = 0;
  return true;
}

void freeDuplicateStorage() {
  DuplicateTable& t = duplicateTable;
  t.storage.reset();
  t.index.reset();
  t.count = 0;
  t.copies = {};
  t.hasPending = false;
}

void emptyDuplicateTable() {
  DuplicateTable& t = duplicateTable;
  t.count = 0;
  t.copies = {};
  if (t.storage) std::fill_n(t.storage.get(), duplicateCapacity, DuplicateEntry{0, 0});
  if (t.index) std::fill_n(t.index.get(), duplicateIndexSlots, 0u);
}

void rebuildDuplicateIndex() {
  DuplicateTable& t = duplicateTable;
  if (!t.index) return;
  std::fill_n(t.index.get(), duplicateIndexSlots, 0u);
  for (std::uint32_t n = 0; n < t.count; ++n) indexEntry(n);
}

std::optional<std::uint32_t> checkDuplicate(std::string_view path) {
  DuplicateTable& t = duplicateTable;
  t.hasPending = false;
  if (settings.crc != 1 || !t.storage) return std::nullopt;
  std::uint32_t checksum = 0;
  // Without a checksum the file cannot be compared; calling it a duplicate
  // would let loeschen delete a file that was never stored anywhere.
  if (!fileChecksum(path, checksum)) return std::nullopt;
  if (std::optional<std::uint32_t> entry = findDuplicatePair(lastByteCount, checksum)) {
    ++scanCounters.duplicates;
    setControlNumber(control::duplicatesCounter, scanCounters.duplicates);
    return entry;
  }
  t.pending = DuplicateEntry{lastByteCount, checksum};
  t.hasPending = true;
  return std::nullopt;
}

void recordStoredFile(std::string_view copyPath) {
  DuplicateTable& t = duplicateTable;
  if (!t.hasPending) return;
  t.hasPending = false;
  // At capacity the file is still placed, it just is not remembered.
  addDuplicatePair(t.pending, copyPath);
}

const std::string& storedCopyPath(std::uint32_t entry) {
  static const std::string unknown;
  const DuplicateTable& t = duplicateTable;
  return entry < t.count && entry < t.copies.size() ? t.copies[entry] : unknown;
}

StoredCopy checkStoredCopy(std::uint32_t entry, std::string_view sourcePath) {
  const std::string& copy = storedCopyPath(entry);
  if (copy.empty()) return StoredCopy::unknown;
  if (platform::fileInfo(copy).kind != platform::Kind::file) return StoredCopy::missing;
  // The walk may have come upon the stored copy itself, under any spelling.
  if (platform::sameFile(copy, sourcePath)) return StoredCopy::sameFile;
  const DuplicateEntry expected = duplicateTable.storage[entry];
  std::uint32_t checksum = 0;
  if (!fileChecksum(copy, checksum) || checksum != expected.checksum ||
      lastByteCount != expected.size) {
    return StoredCopy::changed;
  }
  return StoredCopy::verified;
}

std::string_view storedCopyText(StoredCopy check) {
  switch (check) {
    case StoredCopy::verified: return "Kopie geprüft";
    case StoredCopy::unknown: return "Duplikat nicht gelöscht: Ort der Kopie unbekannt";
    case StoredCopy::missing: return "Duplikat nicht gelöscht: Kopie nicht mehr vorhanden";
    case StoredCopy::sameFile: return "Duplikat nicht gelöscht: die Datei ist selbst die Kopie";
    case StoredCopy::changed: return "Duplikat nicht gelöscht: Kopie wurde verändert";
  }
  return {};
}

void clearDuplicateTable() {
  emptyDuplicateTable();
  scanCounters.files = 0;
  setControlNumber(control::filesCounter, 0);
  scanCounters.duplicates = 0;
  setControlNumber(control::duplicatesCounter, 0);
}
