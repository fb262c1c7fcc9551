#include <charconv>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
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
//
// CRC-Kopien.txt beside it: one line per pair whose copy is known, "size
// TAB checksum TAB path", size decimal and checksum in hex, UTF-8. Pairs it
// does not name have no known copy.

namespace {

static_assert(sizeof(DuplicateEntry) == 8);
constexpr std::size_t slotBytes = std::size_t{duplicateCapacity} * 8;
constexpr std::size_t fileBytes = 4 + slotBytes;
// Far more than 200000 lines of the longest paths need.
constexpr std::int64_t maxCopiesFileBytes = std::int64_t{1} << 30;

constexpr std::string_view fileErrorText = "Dateifehler bei CRC-Tabelle";
constexpr std::string_view copiesHeader = "# Liedkorb: wo die Kopie jedes Paares aus CRC.BIN liegt\n";

// What the file held when this run loaded it, so that a save can tell
// whether another run has saved since.
struct LoadedFile {
  platform::FileInfo state;
  std::uint32_t count = 0;
} loaded;

// A file that could not be read and could not be put aside either: saving
// over it would lose it.
bool saveBlocked = false;

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

// Reads the file's count and slots into entries (duplicateCapacity of them);
// false when it cannot be read or is no table: too short, or a count beyond
// the slots.
bool readTableFile(std::string_view path, DuplicateEntry* entries, std::uint32_t& count,
                   platform::FileInfo& state) {
  platform::File file;
  if (!file.openRead(path)) return false;
  state = file.info();
  unsigned char head[4];
  if (!file.readExact(head, sizeof head)) return false;
  count = loadLe32(head);
  if (count > duplicateCapacity) return false;
  auto* bytes = reinterpret_cast<unsigned char*>(entries);
  if (!file.readExact(bytes, slotBytes)) return false;
  // In place, front to back: each slot is read before it is written.
  for (std::uint32_t n = 0; n < duplicateCapacity; ++n) {
    const unsigned char* p = bytes + std::size_t{n} * 8;
    entries[n] = DuplicateEntry{loadLe32(p), loadLe32(p + 4)};
  }
  return true;
}

std::string tableImage() {
  const DuplicateTable& t = duplicateTable;
  std::string image(fileBytes, '\0');
  auto* out = reinterpret_cast<unsigned char*>(image.data());
  storeLe32(out, t.count);
  for (std::uint32_t n = 0; n < duplicateCapacity; ++n) {
    storeLe32(out + 4 + std::size_t{n} * 8, t.storage[n].size);
    storeLe32(out + 8 + std::size_t{n} * 8, t.storage[n].checksum);
  }
  return image;
}

std::string copiesImage() {
  const DuplicateTable& t = duplicateTable;
  std::string text(copiesHeader);
  char number[16];
  for (std::uint32_t n = 0; n < t.count && n < t.copies.size(); ++n) {
    const std::string& copy = t.copies[n];
    // A name with a line break cannot be written as a line; that copy is
    // then unknown, which only ever keeps a source.
    if (copy.empty() || copy.find_first_of("\r\n") != std::string::npos) continue;
    text += std::to_string(t.storage[n].size);
    text += '\t';
    auto [end, error] = std::to_chars(number, number + sizeof number, t.storage[n].checksum, 16);
    (void)error;  // eight hex digits always fit
    text.append(number, end);
    text += '\t';
    text += copy;
    text += '\n';
  }
  return text;
}

// One line of the copies file, or false when it is none.
bool parseCopyLine(std::string_view line, DuplicateEntry& pair, std::string_view& path) {
  const std::size_t tab1 = line.find('\t');
  if (tab1 == std::string_view::npos) return false;
  const std::size_t tab2 = line.find('\t', tab1 + 1);
  if (tab2 == std::string_view::npos || tab2 + 1 >= line.size()) return false;
  const char* first = line.data();
  auto sizeEnd = std::from_chars(first, first + tab1, pair.size);
  auto crcEnd = std::from_chars(first + tab1 + 1, first + tab2, pair.checksum, 16);
  if (sizeEnd.ec != std::errc() || sizeEnd.ptr != first + tab1 || crcEnd.ec != std::errc() ||
      crcEnd.ptr != first + tab2) {
    return false;
  }
  path = line.substr(tab2 + 1);
  return true;
}

// Tells the entries of the table whose copy is not known yet where it lies,
// as far as the file knows. A file that is missing or damaged only leaves
// copies unknown.
void loadStoredCopies() {
  DuplicateTable& t = duplicateTable;
  t.copies.resize(t.count);
  platform::File file;
  if (!file.openRead(storedCopiesPath())) return;
  const std::int64_t size = file.size();
  if (size <= 0 || size > maxCopiesFileBytes) return;
  std::string text(static_cast<std::size_t>(size), '\0');
  if (!file.readExact(text.data(), text.size())) return;
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    DuplicateEntry pair{};
    std::string_view path;
    if (line.starts_with('#') || !parseCopyLine(line, pair, path)) continue;
    const std::optional<std::uint32_t> entry = findDuplicatePair(pair.size, pair.checksum);
    if (entry && t.copies[*entry].empty()) t.copies[*entry] = path;
  }
}

// Adds the pairs that another run appended to the file since this one
// loaded it (those beyond the count loaded), so that neither run's pairs are
// lost. What this run emptied with "&CRC &löschen" stays emptied.
void mergeNewerFile(const std::string& path) {
  const platform::FileInfo now = platform::fileInfo(path);
  if (now.kind != platform::Kind::file || now.sameState(loaded.state)) return;
  auto other = std::unique_ptr<DuplicateEntry[]>(new (std::nothrow) DuplicateEntry[duplicateCapacity]);
  std::uint32_t otherCount = 0;
  platform::FileInfo state;
  if (!other || !readTableFile(path, other.get(), otherCount, state)) return;
  for (std::uint32_t n = loaded.count; n < otherCount; ++n) addDuplicatePair(other[n], "");
  loadStoredCopies();
}

}  // namespace

std::string duplicateTablePath() {
  std::string folder = platform::configFolder();
  if (folder.empty()) return {};
  return mergePath("", folder, "CRC", "BIN");
}

std::string storedCopiesPath() {
  std::string folder = platform::configFolder();
  if (folder.empty()) return {};
  return mergePath("", folder, "CRC-Kopien", "txt");
}

void loadDuplicateTable() {
  DuplicateTable& t = duplicateTable;
  saveBlocked = false;
  loaded = LoadedFile{};
  const std::string path = duplicateTablePath();
  std::uint32_t count = 0;
  platform::FileInfo state;
  if (!path.empty() && fitsPathLimit(path) && t.storage &&
      readTableFile(path, t.storage.get(), count, state)) {
    t.count = count;
    rebuildDuplicateIndex();
    t.copies.assign(t.count, std::string());
    loadStoredCopies();
    loaded = LoadedFile{state, count};
    scanCounters.files = t.count;
    return;
  }
  // Whatever the reads put into storage before the failure is dropped.
  emptyDuplicateTable();
  settings.crc = 0;
  std::string message(fileErrorText);
  // A missing file is the usual first start. One that exists but cannot be
  // read is kept under another name before anything can be saved over it.
  if (!path.empty() && platform::pathExists(path) && t.storage) {
    std::string keptAs;
    if (platform::Status kept = platform::keepAside(path, ".defekt", keptAs); kept) {
      message += "\nDie unlesbare Datei bleibt erhalten als\n" + keptAs;
    } else {
      saveBlocked = true;
      message += "\n" + path + "\nist unlesbar und wird nicht überschrieben: ";
      message += platform::failureText(kept.failure);
    }
  }
  showMessage(message, errorCaption);
}

void saveDuplicateTable() {
  const std::string path = duplicateTablePath();
  // Without storage there is nothing to save; writing an empty table would
  // destroy the one on disk, so the file is left alone.
  if (path.empty() || !fitsPathLimit(path) || !duplicateTable.storage || saveBlocked) {
    showMessage(fileErrorText, errorCaption);
    return;
  }
  mergeNewerFile(path);
  // Where the copies lie goes first: a crash between the two saves leaves
  // pairs without a known copy at worst, and those never let a source go.
  const std::string copiesPath = storedCopiesPath();
  platform::Status saved = platform::saveFileAtomically(copiesPath, copiesImage());
  if (saved) saved = platform::saveFileAtomically(path, tableImage());
  if (!saved) {
    std::string message(fileErrorText);
    message += "\n";
    message += platform::failureText(saved.failure);
    showMessage(message, errorCaption);
    return;
  }
  loaded = LoadedFile{platform::fileInfo(path), duplicateTable.count};
}
