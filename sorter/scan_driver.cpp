#include "sorter/scan_driver.h"

#include <string>
#include <vector>

#include "common/controls.h"
#include "common/paths.h"
#include "common/shell.h"
#include "common/state.h"
#include "platform/platform.h"
#include "sorter/durable_deletes.h"
#include "sorter/error_log.h"
#include "sorter/placement.h"
#include "sorter/scan_memory.h"
#include "sorter/target_tree.h"
#include "sorter/transfer.h"
#include "tags/tag_reader.h"

namespace {

bool startsWithFolder(std::string_view path, std::string_view folder) {
  return path.size() > folder.size() && isPathSeparator(path[folder.size()]) &&
         path.substr(0, folder.size()) == folder;
}

// The target folders seen during this scan. The walk must never reach what
// it stored: copies would be sorted again and, with crc and loeschen,
// deleted as duplicates of themselves. Folders are known by identity and by
// their canonical paths (the spelling stored on disk): some file systems
// give one folder a new identity per spelling, and a bind mount gives it a
// second path.
class TargetGuard {
 public:
  // The target setting may change during the scan (a page switch re-reads
  // the edits), so every target seen is kept.
  void refresh() {
    if (settings.zielPfad == lastSetting_ && !lastFailed_) return;
    lastSetting_ = settings.zielPfad;
    std::string canonical;
    lastFailed_ = lastSetting_.empty() || !platform::canonicalPath(lastSetting_, canonical);
    if (lastFailed_) return;
    for (const Target& known : targets_) {
      if (known.path == canonical) return;
    }
    Target target{canonical, platform::fileInfo(canonical).id};
    for (std::string_view base : target_tree::baseFolders) {
      const platform::FileInfo info = platform::fileInfo(childPath(canonical, base));
      if (info.kind == platform::Kind::folder) scan_memory::noteFilledFolder(info.id);
    }
    targets_.push_back(std::move(target));
  }

  bool empty() const { return targets_.empty(); }

  // A folder holding copies: a base folder of a target tree or anything in
  // it, any folder that received copies in this scan, and (except as the
  // folder the scan starts from) a target folder itself. Starting at a
  // target folder sorts the files lying in it, never its tree.
  bool holdsCopies(std::string_view canonical, const platform::FileId& id, bool isStartFolder) const {
    if (scan_memory::isFilledFolder(id)) return true;
    for (const Target& target : targets_) {
      if (!isStartFolder && (canonical == target.path || id == target.id)) return true;
      for (std::string_view base : target_tree::baseFolders) {
        std::string baseFolder = childPath(target.path, base);
        if (canonical == baseFolder || startsWithFolder(canonical, baseFolder)) return true;
      }
    }
    return false;
  }

 private:
  struct Target {
    std::string path;
    platform::FileId id;
  };
  std::vector<Target> targets_;
  std::string lastSetting_;
  bool lastFailed_ = true;
};

void reportLink(const std::string& path) {
  if (scan_memory::firstReport(path)) logRecord("Verknüpfung übersprungen", path);
}

void processFile(const std::string& path) {
  if (settings.nursaeubern) {
    (void)transferFile(path, path);  // a rename reports its own failures
  } else if (readTag(path)) {
    placeTaggedFile(path);
  } else {
    placeUntaggedFile(path);
  }
}

// canonical: the folder's resolved path, or empty when the guard has nothing
// to compare with.
void walkFolder(const std::string& folder, const std::string& canonical, TargetGuard& guard) {
  if (!scanRunning) return;
  setControlText(control::currentFolder, folder);

  std::vector<platform::DirEntry> entries;
  (void)platform::findEntries(folder, "*.MP3", entries);  // an unreadable folder holds nothing to sort
  for (const platform::DirEntry& entry : entries) {
    if (!scanRunning) return;
    std::string path = joinPath(folder, entry.name);
    // A link is never followed: it may lead out of the source, to a file
    // the user never meant to sort.
    if (entry.isLink) reportLink(path);
    // A folder named like a file, or a link to one, is never a file.
    if (entry.isFolder || entry.isFolderLink || entry.isLink) continue;
    if (!fitsPathLimit(path)) continue;
    // A copy this scan made, reached through another path to its folder.
    if (scan_memory::isCopy(platform::fileInfo(path).id)) continue;
    setControlText(control::currentFile, splitPath(path).name);
    pumpMessages();
    processFile(path);
    deleteWhenDue();
  }

  if (!settings.rekursiv) return;
  (void)platform::findEntries(folder, "*.*", entries);
  for (const platform::DirEntry& entry : entries) {
    if (!scanRunning) return;
    std::string subfolder = joinPath(folder, entry.name);
    // Links to folders are not followed: a link back to a parent would make
    // the walk endless.
    if (entry.isFolderLink) reportLink(subfolder);
    if (!entry.isFolder || entry.name == "." || entry.name == "..") continue;
    if (!fitsPathLimit(subfolder)) continue;
    const platform::FileInfo info = platform::fileInfo(subfolder);
    // Gone meanwhile, or a folder reached a second time (a bind mount).
    if (info.kind != platform::Kind::folder || !scan_memory::firstWalk(info.id)) continue;
    // Known even while no target is: the target may be set during the scan.
    const std::string subCanonical = canonical.empty() ? std::string() : childPath(canonical, entry.name);
    guard.refresh();
    // Cleaning names in place stores nothing and deletes nothing, so it may
    // walk a sorted tree too.
    if (!guard.empty() && !settings.nursaeubern) {
      if (subCanonical.empty()) continue;  // cannot tell where it lies: stay out
      if (guard.holdsCopies(subCanonical, info.id, false)) continue;
    }
    walkFolder(subfolder, subCanonical, guard);
  }
}

}  // namespace

void scanFolder(std::string_view folder) {
  scan_memory::forget();
  rearmLogWarning();
  if (!scanRunning) return;
  // The setting may be rewritten while the walk runs; the walk stays on the
  // folder it started with.
  const std::string start(folder);
  if (start.empty()) {
    setControlText(control::currentFolder, start);
    return;
  }
  TargetGuard guard;
  guard.refresh();
  std::string canonical;
  if (!platform::canonicalPath(start, canonical)) canonical.clear();
  const platform::FileInfo info = platform::fileInfo(canonical.empty() ? start : canonical);
  if (!canonical.empty() && !settings.nursaeubern && guard.holdsCopies(canonical, info.id, true)) {
    setControlText(control::currentFolder, start);
    return;
  }
  (void)scan_memory::firstWalk(info.id);
  walkFolder(start, canonical, guard);
  // A stop, too, ends with the deletes whose copies are done.
  deletePending();
}
