#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/limits.h"
#include "common/paths.h"
#include "common/shell.h"
#include "common/state.h"
#include "dupes/duplicate_table.h"
#include "platform/platform.h"

// CRC.BIN: the count, then every one of the duplicateCapacity slots as
// (size, checksum), all unsigned 32-bit little-endian, whatever the host.

namespace {

static_assert(sizeof(DuplicateEntry) == 8);
constexpr std::size_t slotBytes = std::size_t{duplicateCapacity} * 8;

constexpr std::string_view fileErrorText = "Dateifehler bei CRC-Tabelle";

std::uint32_t loadLe32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void storeLe32(unsigned char* p, std::uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

// Reads the file into storage and sets the count; on any failure the count
// is untouched (the caller empties the storage).
bool readTable(std::string_view path) {
  DuplicateTable& t = duplicateTable;
  if (!t.storage) return false;
  platform::File file;
  if (!file.openRead(path)) return false;
  unsigned char head[4];
  if (!file.readExact(head, sizeof head)) return false;
  const std::uint32_t count = loadLe32(head);
  // A count beyond the storage would make the table reach past it.
  if (count > duplicateCapacity) return false;
  auto* bytes = reinterpret_cast<unsigned char*>(t.storage.get());
  if (!file.readExact(bytes, slotBytes)) return false;
  for (std::uint32_t n = 0; n < duplicateCapacity; ++n) {
    const unsigned char* p = bytes + std::size_t{n} * 8;
    const DuplicateEntry entry{loadLe32(p), loadLe32(p + 4)};
    t.storage[n] = entry;
  }
  t.count = count;
  return true;
}

// Writes the whole image to a new file and flushes it to the disk.
bool writeTable(std::string_view path) {
  const DuplicateTable& t = duplicateTable;
  platform::File file;
  if (!file.createNew(path)) return false;
  unsigned char buffer[32768];
  storeLe32(buffer, t.count);
  std::size_t used = 4;
  for (std::uint32_t n = 0; n < duplicateCapacity; ++n) {
    if (used + 8 > sizeof buffer) {
      if (!file.write(buffer, used)) return false;
      used = 0;
    }
    storeLe32(buffer + used, t.storage[n].size);
    storeLe32(buffer + used + 4, t.storage[n].checksum);
    used += 8;
  }
  return file.write(buffer, used) && file.sync();
}

}  // namespace

std::string duplicateTablePath() {
  std::string folder = platform::configFolder();
  if (folder.empty()) return {};
  return mergePath("", folder, "CRC", "BIN");
}

void loadDuplicateTable() {
  const std::string path = duplicateTablePath();
  if (!path.empty() && fitsPathLimit(path) && readTable(path)) {
    rebuildDuplicateIndex();
    scanCounters.files = duplicateTable.count;
    return;
  }
  // Whatever the reads put into storage before the failure is dropped.
  emptyDuplicateTable();
  showMessage(fileErrorText, errorCaption);
  settings.crc = 0;
}

void saveDuplicateTable() {
  const std::string path = duplicateTablePath();
  const std::string temporary = path + ".tmp";
  // Without storage there is nothing to save; writing an empty table would
  // destroy the one on disk, so the file is left alone.
  if (path.empty() || !fitsPathLimit(temporary) || !duplicateTable.storage) {
    showMessage(fileErrorText, errorCaption);
    return;
  }
  // A leftover of a save that was cut short; the new file must be our own.
  platform::deleteFile(temporary);
  // The old file is replaced only by a complete new one, so a full disk, a
  // failing write or a crash leaves it whole.
  if (writeTable(temporary) && platform::replaceFile(temporary, path)) return;
  platform::deleteFile(temporary);
  showMessage(fileErrorText, errorCaption);
}
