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
  std::set<std::string> folders;
  folders.swap(madeFolders);
  // Folders made for this batch's copies: each needs its own entry synced,
  // which lives in its parent.
  std::set<std::string> syncedFolders;
  std::set<std::string> failedFolders;
  auto syncFolderOnce = [&](const std::string& folder) {
    if (syncedFolders.count(folder) || failedFolders.count(folder)) return failedFolders.count(folder) == 0;
    if (platform::syncFolder(folder)) {
      syncedFolders.insert(folder);
      return true;
    }
    failedFolders.insert(folder);
    return false;
  };
  bool madeFoldersSynced = true;
  for (const std::string& folder : folders) {
    if (!syncFolderOnce(folderOf(folder))) madeFoldersSynced = false;
  }
  for (const PendingDelete& item : items) {
    bool durable = madeFoldersSynced;
    for (const std::string& copy : item.copies) {
      platform::Status synced = platform::syncFile(copy);
      if (!synced || !syncFolderOnce(folderOf(copy))) durable = false;
    }
    if (!durable) {
      keepSource(item, "Kopie nicht sicher gespeichert");
      continue;
    }
    deleteSource(item);
  }
}
