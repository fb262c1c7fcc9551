#include <string>
#include <string_view>
#include <vector>

#include "common/paths.h"
#include "common/state.h"
#include "common/text.h"
#include "covers/cover_export.h"
#include "platform/platform.h"

namespace {

// A file of the cover folder belongs to a song when its name is the song's
// base name, alone or followed by an extension. The folder is listed in full
// and names are compared here rather than through a "Name.*" search, because
// on POSIX a base name may itself hold '*' or '?' and would then match far
// more than the one song.
bool isCoverName(std::string_view entryName, std::string_view baseName) {
  if (entryName.size() < baseName.size()) return false;
  if (!equalsNoCaseAscii(entryName.substr(0, baseName.size()), baseName)) return false;
  return entryName.size() == baseName.size() || entryName[baseName.size()] == '.';
}

bool isWalkable(const platform::DirEntry& entry) {
  return entry.isFolder && !entry.isFolderLink && entry.name != "." && entry.name != "..";
}

void lookIn(std::string_view baseName, const PathParts& target, const std::string& folder) {
  if (scanRunning == 0) return;
  std::vector<platform::DirEntry> entries;
  if (!platform::findEntries(folder, "*.*", entries)) return;

  for (const platform::DirEntry& entry : entries) {
    if (scanRunning == 0) return;
    if (entry.isFolder || entry.isFolderLink || !isCoverName(entry.name, baseName)) continue;
    // The first match settles this folder, whether or not its copy succeeds:
    // an existing destination is never overwritten.
    std::string source = childPath(folder, entry.name);
    std::string destination = mergePath(target.drive, target.dir, entry.name, "");
    if (fitsPathLimit(source) && fitsPathLimit(destination)) {
      (void)platform::copyFileNoOverwrite(source, destination);  // a taken name stays as it is
    }
    return;
  }

  if (settings.rekursiv == 0) return;
  for (const platform::DirEntry& entry : entries) {
    if (scanRunning == 0) return;
    if (!isWalkable(entry)) continue;
    std::string subfolder = childPath(folder, entry.name);
    if (fitsPathLimit(subfolder)) lookIn(baseName, target, subfolder);
  }
}

}  // namespace

void findCoverFile(std::string_view sourcePath, std::string_view targetPath,
                   std::string_view folder) {
  if (scanRunning == 0 || folder.empty() || !fitsPathLimit(folder)) return;
  std::string baseName = splitPath(sourcePath).name;
  // A source named only by its extension (".mp3") has no name to match.
  if (baseName.empty()) return;
  lookIn(baseName, splitPath(targetPath), std::string(folder));
}
