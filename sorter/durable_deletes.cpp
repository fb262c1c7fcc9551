#include "sorter/durable_deletes.h"

#include <chrono>
#include <set>
#include <string>

#include "common/paths.h"
#include "sorter/error_log.h"

namespace {

// A batch ends after this many sources or this long after its first,
// whichever comes first: few syncs, and a stop never waits long.
constexpr std::size_t batchFiles = 32;
constexpr std::chrono::milliseconds batchAge{1000};

std::vector<PendingDelete> batch;
std::set<std::string> madeFolders;
std::chrono::steady_clock::time_point batchStart;

std::string folderOf(std::string_view path) {
  const PathParts parts = splitPath(path);
  std::string folder = parts.drive + parts.dir;
  while (folder.size() > 1 && isPathSeparator(folder.back())) folder.pop_back();
  return folder;
}

void keepSource(const PendingDelete& item, std::string_view why) {
  std::string message = "Quelle nicht gelöscht: ";
  message += why;
  logRecord(message, item.source);
}

void deleteSource(const PendingDelete& item) {
  // The file at the source's name must still be the one that was copied:
  // not grown since, not replaced by another file of that name.
  if (!platform::fileInfo(item.source).sameState(item.seen)) {
    keepSource(item, "seit dem Kopieren verändert");
    return;
  }
  // A read-only source is made writable only to be deleted; the attribute
  // change never follows a link.
  platform::Status done = platform::clearReadOnly(item.source);
  if (done) done = platform::deleteFile(item.source);
  if (!done) keepSource(item, platform::failureText(done.failure));
}

}  // namespace

void queueDelete(PendingDelete item) {
  if (batch.empty()) batchStart = std::chrono::steady_clock::now();
  batch.push_back(std::move(item));
}

void noteFolderMade(std::string_view folder) { madeFolders.insert(folderOf(folder)); }

void deleteWhenDue() {
  if (batch.size() >= batchFiles ||
      (!batch.empty() && std::chrono::steady_clock::now() - batchStart >= batchAge)) {
    deletePending();
  }
}

void deletePending() {
  std::vector<PendingDelete> items;
  items.swap(batch);
  std::set<std::string> synced;
  // A copy is safe once its data, its folder's entry for it and the entry of
  // every folder made for it (which lives in that folder's parent) are. A
  // made folder stays noted until some copy in it needed it synced.
  auto syncFolderChain = [&](std::string folder) {
    for (;;) {
      if (!synced.count(folder)) {
        if (!platform::syncFolder(folder)) return false;
        synced.insert(folder);
      }
      auto made = madeFolders.find(folder);
      if (made == madeFolders.end()) return true;
      folder = folderOf(folder);
      if (!synced.count(folder)) {
        if (!platform::syncFolder(folder)) return false;
        synced.insert(folder);
      }
      madeFolders.erase(made);
    }
  };
  for (const PendingDelete& item : items) {
    bool durable = true;
    for (const std::string& copy : item.copies) {
      if (!platform::syncFile(copy) || !syncFolderChain(folderOf(copy))) durable = false;
    }
    if (!durable) {
      keepSource(item, "Kopie nicht sicher gespeichert");
      continue;
    }
    deleteSource(item);
  }
}
