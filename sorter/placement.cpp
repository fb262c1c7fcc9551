#include "sorter/placement.h"

#include <optional>
#include <string>

#include "app/error_log.h"
#include "common/paths.h"
#include "common/shell.h"
#include "common/state.h"
#include "dupes/duplicate_table.h"
#include "platform/platform.h"
#include "sorter/target_tree.h"
#include "sorter/transfer.h"

namespace {

constexpr std::string_view fallbackFailedMessage =
    "Verzeichnis\n!Fehler\nkonnte nicht angelegt werden";

std::string folderFailedMessage(std::string_view folder) {
  std::string message = "Verzeichnis\n";
  message += folder;
  message += "\nkonnte nicht angelegt werden";
  return message;
}

// One file on its way into the target tree. The target folder and the tag
// are taken when the file's placement begins: a message box may let the user
// change the settings, and the copies of one file belong in one tree.
class Placement {
 public:
  explicit Placement(std::string_view sourcePath)
      : source_(sourcePath), target_(settings.zielPfad), tag_(tagInfo) {
    PathParts parts = splitPath(source_);
    ownName_ = parts.name + parts.ext;
  }

  // A file seen before is not placed again; under loeschen its source goes.
  bool isDuplicate() const {
    if (!checkDuplicate(source_)) return false;
    if (settings.loeschen) removeSource();
    return true;
  }

  const TagInfo& tag() const { return tag_; }
  const std::string& ownName() const { return ownName_; }

  std::string underTarget(std::string_view name) const { return joinPath(target_, name); }

  // Makes the folder unless it exists. Without a target folder nothing below
  // it can be made (it would land at the top of the drive); a path beyond
  // the platform's limit is refused like a folder that cannot be made.
  bool makeFolderIfMissing(const std::string& path) const {
    if (target_.empty() || !fitsPathLimit(path)) return false;
    if (platform::pathExists(path)) return true;
    return platform::makeFolder(path);
  }

  // The folder of tagText below root (Kuenstler or Genre), made when missing,
  // or the shared "!Fehler" folder of that tree. False when that cannot be
  // made either: the placement of this file ends.
  bool treeFolder(std::string_view root, std::string_view tagText, std::string& folder) const {
    const std::string rootPath = underTarget(root);
    const std::optional<std::string> name = folderNameFromTag(tagText);
    folder = joinPath(rootPath, name ? *name : fileNameFromTag(tagText));
    // Renaming in place makes no folders: only the name of the target counts.
    if (settings.umbenennen) return true;
    if (name && makeFolderIfMissing(folder)) return true;
    reportError(folderFailedMessage(folder), folder);
    folder = joinPath(rootPath, target_tree::fallback);
    if (makeFolderIfMissing(folder)) return true;
    showMessage(fallbackFailedMessage, errorCaption);
    return false;
  }

  void transfer(const std::string& targetPath) {
    if (target_.empty() && !settings.umbenennen) return;
    if (transferFile(source_, targetPath) == TransferOutcome::copied) stored_ = true;
  }

  // A file stored by a copy is remembered as seen, and under loeschen (when
  // allowed) its source goes. A file stored nowhere stays where it was and
  // is not remembered, so a later look at it never takes it for a duplicate.
  void finish(bool mayDelete) const {
    if (!stored_) return;
    recordStoredFile();
    if (mayDelete && settings.loeschen) removeSource();
  }

 private:
  void removeSource() const {
    platform::clearReadOnly(source_);
    platform::deleteFile(source_);
  }

  std::string source_;
  std::string target_;
  TagInfo tag_;
  std::string ownName_;
  bool stored_ = false;
};

}  // namespace

void createBaseFolders() {
  if (settings.umbenennen) return;
  const std::string target = settings.zielPfad;
  for (std::string_view name : target_tree::baseFolders) {
    if (name == target_tree::artistRoot && !settings.kuenstler) continue;
    if (name == target_tree::genreRoot && !settings.genre) continue;
    const std::string folder = joinPath(target, name);
    bool made = !target.empty() && fitsPathLimit(folder) &&
                (platform::pathExists(folder) || platform::makeFolder(folder));
    if (!made) {
      showMessage(folderFailedMessage(folder), errorCaption);
      return;
    }
  }
}

void placeTaggedFile(std::string_view sourcePath) {
  Placement placement(sourcePath);
  if (placement.isDuplicate()) return;
  const TagInfo& tag = placement.tag();

  if (settings.kuenstler && !tag.artist.empty()) {
    std::string folder;
    if (!placement.treeFolder(target_tree::artistRoot, tag.artist, folder)) {
      placement.finish(false);
      return;
    }
    if (!tag.album.empty() && settings.makealbum) {
      // An album folder that cannot be made is no error: the file stays in
      // the artist folder.
      if (std::optional<std::string> album = folderNameFromTag(tag.album)) {
        std::string albumFolder = joinPath(folder, *album);
        if (settings.umbenennen || placement.makeFolderIfMissing(albumFolder)) folder = albumFolder;
      }
    }
    std::string name = placement.ownName();
    if (!tag.title.empty() && !settings.norename) name = fileNameFromTag(tag.title) + ".MP3";
    placement.transfer(joinPath(folder, name));
  }

  if (settings.genre && !tag.genre.empty()) {
    std::string folder;
    if (!placement.treeFolder(target_tree::genreRoot, tag.genre, folder)) {
      placement.finish(false);
      return;
    }
    placement.transfer(joinPath(folder, placement.ownName()));
  }

  if (settings.unbekannt &&
      ((settings.kuenstler && tag.artist.empty()) || (settings.genre && tag.genre.empty()))) {
    placement.transfer(
        joinPath(placement.underTarget(target_tree::taggedRest), placement.ownName()));
  }
  placement.finish(true);
}

void placeUntaggedFile(std::string_view sourcePath) {
  Placement placement(sourcePath);
  if (placement.isDuplicate()) return;
  if (settings.unbekannt) {
    placement.transfer(joinPath(placement.underTarget(target_tree::untagged), placement.ownName()));
  }
  placement.finish(true);
}
