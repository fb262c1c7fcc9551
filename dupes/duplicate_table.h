#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/limits.h"

struct DuplicateEntry {
  std::uint32_t size;
  std::uint32_t checksum;
};

// Files already seen, as (size, CRC-32) pairs, in the order recorded. The
// storage is one flat block of duplicateCapacity slots (the image of CRC.BIN);
// a hash index beside it keeps the lookup cost flat.
struct DuplicateTable {
  std::unique_ptr<DuplicateEntry[]> storage;  // duplicateCapacity slots
  std::uint32_t count = 0;                    // valid entries: 0 .. count-1
  // Open addressing with linear probing over duplicateIndexSlots slots:
  // entry number + 1, 0 free. Allocated together with storage.
  std::unique_ptr<std::uint32_t[]> index;
  // Where the copy of each entry was stored (entry number as index; empty
  // when not known, as for every pair of a table file of an older version).
  // Kept beside CRC.BIN, whose format stays as it is.
  std::vector<std::string> copies;
  // The pair of the last file checkDuplicate found new, until it is recorded.
  DuplicateEntry pending{};
  bool hasPending = false;
};
// A power of two at least twice the capacity keeps the probe runs short.
inline constexpr std::uint32_t duplicateIndexSlots = 1u << 19;
static_assert(duplicateIndexSlots >= 2 * duplicateCapacity);
extern DuplicateTable duplicateTable;

// With crc exactly 1: checksums the file and tells the number of the entry
// that holds its pair when it was seen before; a duplicate is counted and
// shown under "Doppelt:". A file without a checksum is never a duplicate.
// The pair of a new file is kept as pending until recordStoredFile.
std::optional<std::uint32_t> checkDuplicate(std::string_view path);

// Called by placement once a copy has stored the file at copyPath: records
// the pending pair of the last checkDuplicate with where its copy lies (once;
// nothing when there is none or the table is full).
void recordStoredFile(std::string_view copyPath);

// Whether the copy recorded for entry can stand for a duplicate whose source
// is about to be deleted: it exists, is another file than the source, and
// still has the entry's size and CRC-32 (read again). Otherwise the reason
// to keep the source.
enum class StoredCopy { verified, unknown, missing, sameFile, changed };
StoredCopy checkStoredCopy(std::uint32_t entry, std::string_view sourcePath);
std::string_view storedCopyText(StoredCopy check);
const std::string& storedCopyPath(std::uint32_t entry);

std::uint32_t duplicateCount();
// Whether entries 0 .. count-1 hold the pair (the answer of a scan over
// them, found through the index).
bool containsDuplicatePair(std::uint32_t size, std::uint32_t checksum);
// The number of the entry that holds the pair.
std::optional<std::uint32_t> findDuplicatePair(std::uint32_t size, std::uint32_t checksum);
// Appends a pair the table does not hold yet, with where its copy lies
// (empty: not known). False when it holds the pair or is full.
bool addDuplicatePair(DuplicateEntry pair, std::string_view copyPath);
bool duplicateStorageAllocated();
bool allocateDuplicateStorage();
void freeDuplicateStorage();

// Empties the table and zeroes both counters on the sort page.
void clearDuplicateTable();
// Count 0, storage zeroed, index cleared; the counters stay.
void emptyDuplicateTable();
// Rebuilds the index from entries 0 .. count-1 (after they were read into
// storage in place).
void rebuildDuplicateIndex();

// CRC.BIN in the config folder, and the file of our own beside it that
// tells where the copy of each pair lies.
std::string duplicateTablePath();
std::string storedCopiesPath();

// Fills the table from CRC.BIN; on failure shows "Dateifehler bei
// CRC-Tabelle", sets crc to 0 and leaves the table empty. A file that exists
// but cannot be read is renamed beside itself (CRC.BIN.defekt) first, so that
// no later save replaces it, and the message says so.
void loadDuplicateTable();
// Writes CRC.BIN atomically; on failure shows the same message and leaves the
// previous file as it was. Pairs that another run saved since this one
// loaded the file are kept.
void saveDuplicateTable();
