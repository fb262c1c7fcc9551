#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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
  std::vector<std::uint32_t> index;           // open addressing: entry number + 1, 0 free
};
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
bool duplicateStorageAllocated();
bool allocateDuplicateStorage();
void freeDuplicateStorage();

// Empties the table and zeroes both counters on the sort page.
void clearDuplicateTable();

// CRC.BIN in the config folder.
std::string duplicateTablePath();

// Fills the table from CRC.BIN; on failure shows "Dateifehler bei
// CRC-Tabelle", sets crc to 0 and leaves the table empty.
void loadDuplicateTable();
// Writes CRC.BIN atomically; on failure shows the same message and leaves the
// previous file as it was.
void saveDuplicateTable();
