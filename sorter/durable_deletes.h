#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

// Under loeschen a source goes only once the copies that stand for it, and
// the folder entries that name them, are on stable storage: a power cut
// right after a delete must still find the copy. Syncing file by file would
// cost a disk round trip per song, so deletes wait in batches; each batch is
// synced at once, then its sources are deleted.
struct PendingDelete {
  std::string source;
  // The source as it was when its copies were made (or its checksum taken):
  // a source that is no longer that same file (written to, replaced) stays.
  platform::FileInfo seen;
  std::vector<std::string> copies;
};

void queueDelete(PendingDelete item);
// A folder made for a copy: its entry in the parent must reach the disk too.
void noteFolderMade(std::string_view folder);
// Deletes the waiting batch when it is full or old enough.
void deleteWhenDue();
// Syncs and deletes whatever waits (the end of a scan, a stop).
void deletePending();
