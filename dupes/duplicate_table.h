#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

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
  // The pair of the last file checkDuplicate found new, until it is recorded.
  DuplicateEntry pending{};
  bool hasPending = false;
};
// A power of two at least twice the capacity keeps the probe runs short.
inline constexpr std::uint32_t duplicateIndexSlots = 1u << 19;
static_assert(duplicateIndexSlots >= 2 * duplicateCapacity);
extern DuplicateTable duplicateTable;

// With crc exactly 1: checksums the file and answers whether its pair was
// seen before; a duplicate is counted and shown under "Doppelt:". A file
// without a checksum is never a duplicate. The pair of a new file is kept as
// pending until recordStoredFile.
bool checkDuplicate(std::string_view path);

// Called by placement once a copy has stored the file: records the pending
// pair of the last checkDuplicate (once; nothing when there is none or the
// table is full).
void recordStoredFile();

std::uint32_t duplicateCount();
// Whether entries 0 .. count-1 hold the pair (the answer of a scan over
// them, found through the index).
bool containsDuplicatePair(std::uint32_t size, std::uint32_t checksum);
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

// CRC.BIN in the config folder.
std::string duplicateTablePath();

// Fills the table from CRC.BIN; on failure shows "Dateifehler bei
// CRC-Tabelle", sets crc to 0 and leaves the table empty.
void loadDuplicateTable();
// Writes CRC.BIN atomically; on failure shows the same message and leaves the
// previous file as it was.
void saveDuplicateTable();
