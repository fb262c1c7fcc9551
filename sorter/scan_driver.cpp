#include "sorter/scan_driver.h"

#include <string>
#include <vector>

#include "common/controls.h"
#include "common/paths.h"
#include "common/shell.h"
#include "common/state.h"
#include "common/text.h"
#include "platform/platform.h"
#include "sorter/placement.h"
#include "sorter/target_tree.h"
#include "sorter/transfer.h"
#include "tags/tag_reader.h"

namespace {

// Windows compares names without regard to case; POSIX file systems
// (mostly) do not.
constexpr bool namesIgnoreCase = pathSeparator == '\\';

bool sameName(std::string_view a, std::string_view b) {
  return namesIgnoreCase ? equalsNoCaseAscii(a, b) : a == b;
}

bool startsWithFolder(std::string_view path, std::string_view folder) {
  if (path.size() <= folder.size() || !isPathSeparator(path[folder.size()])) return false;
  return sameName(path.substr(0, folder.size()), folder);
}

// The target folders seen during this scan, canonical. The walk must
// never reach what it stored: copies would be sorted again and, with crc and
// loeschen, deleted as duplicates of themselves.
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
    for (const std::string& known : targets_) {
      if (sameName(known, canonical)) return;
    }
    targets_.push_back(canonical);
  }

  bool empty() const { return targets_.empty(); }

  // A folder holding copies: a base folder of a target tree or anything in
  // it, and (except as the folder the scan starts from) a target folder
  // itself. Starting at a target folder sorts the files lying in it, never
  // its tree.
  bool holdsCopies(std::string_view canonical, bool isStartFolder) const {
    for (const std::string& target : targets_) {
      if (!isStartFolder && sameName(canonical, target)) return true;
      for (std::string_view base : target_tree::baseFolders) {
        std::string baseFolder = childPath(target, base);
        if (sameName(canonical, baseFolder) || startsWithFolder(canonical, baseFolder)) return true;
      }
    }
    return false;
  }

 private:
  std::vector<std::string> targets_;
  std::string lastSetting_;
  bool lastFailed_ = true;
};

void processFile(const std::string& path) {
  if (settings.nursaeubern) {
    transferFile(path, path);
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
  platform::findEntries(folder, "*.MP3", entries);
  for (const platform::DirEntry& entry : entries) {
    if (!scanRunning) return;
    // A folder named like a file, or a link to one, is never a file.
    if (entry.isFolder || entry.isFolderLink) continue;
    std::string path = joinPath(folder, entry.name);
    if (!fitsPathLimit(path)) continue;
    setControlText(control::currentFile, splitPath(path).name);
    pumpMessages();
    processFile(path);
  }

  if (!settings.rekursiv) return;
  platform::findEntries(folder, "*.*", entries);
  for (const platform::DirEntry& entry : entries) {
    if (!scanRunning) return;
    // Links to folders are not followed: a link back to a parent would make
    // the walk endless.
    if (!entry.isFolder || entry.name == "." || entry.name == "..") continue;
    std::string subfolder = joinPath(folder, entry.name);
    if (!fitsPathLimit(subfolder)) continue;
    // Known even while no target is: the target may be set during the scan.
    const std::string subCanonical = canonical.empty() ? std::string() : childPath(canonical, entry.name);
    guard.refresh();
    // Cleaning names in place stores nothing and deletes nothing, so it may
    // walk a sorted tree too.
    if (!guard.empty() && !settings.nursaeubern) {
      if (subCanonical.empty()) continue;  // cannot tell where it lies: stay out
      if (guard.holdsCopies(subCanonical, false)) continue;
    }
    walkFolder(subfolder, subCanonical, guard);
  }
}

}  // namespace

void scanFolder(std::string_view folder) {
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
  if (!canonical.empty() && !settings.nursaeubern && guard.holdsCopies(canonical, true)) {
    setControlText(control::currentFolder, start);
    return;
  }
  walkFolder(start, canonical, guard);
}
