#include "sorter/placement.h"

#include <optional>
#include <string>
#include <vector>

#include "common/paths.h"
#include "common/shell.h"
#include "common/state.h"
#include "dupes/duplicate_table.h"
#include "platform/platform.h"
#include "sorter/durable_deletes.h"
#include "sorter/error_log.h"
#include "sorter/scan_memory.h"
#include "sorter/target_tree.h"
#include "sorter/transfer.h"

namespace {

using platform::Failure;

constexpr std::string_view fallbackFailedMessage =
    "Verzeichnis\n!Fehler\nkonnte nicht angelegt werden";

std::string folderFailedMessage(std::string_view folder) {
  std::string message = "Verzeichnis\n";
  message += folder;
  message += "\nkonnte nicht angelegt werden";
  return message;
}

// The folder exists as a real folder (made now when missing, if asked to).
// A link, a file or anything else standing at its name counts as a folder
// that cannot be made: copies never leave the target through a link. A
// folder used for the first time in this scan is cleared of what a killed
// run left there.
platform::Status ensureFolder(const std::string& path, bool make = true) {
  if (!fitsPathLimit(path)) return platform::failedWith(Failure::nameTooLong);
  platform::FileInfo info = platform::fileInfo(path);
  if (info.kind == platform::Kind::missing) {
    if (!make) return platform::failedWith(Failure::notFound);
    platform::Status made = platform::makeFolder(path);
    if (made) noteFolderMade(path);
    // Made meanwhile by someone else is as good as made.
    if (!made && made.failure != Failure::exists) return made;
    info = platform::fileInfo(path);
  }
  if (info.kind == platform::Kind::link) return platform::failedWith(Failure::link);
  if (info.kind != platform::Kind::folder) return platform::failedWith(Failure::exists);
  scan_memory::noteFilledFolder(info.id);
  if (scan_memory::firstUse(path)) platform::removeLeftoverTemporaries(path);
  return platform::success;
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
    // Before the checksum: what the pair and every copy must agree with.
    seen_ = platform::fileInfo(source_);
  }

  // A file seen before is not placed again. Under loeschen its source goes
  // only when the copy recorded for its pair still stands, is another file
  // and still holds those bytes: the last copy of a song is never deleted.
  bool skipIfDuplicate() const {
    const std::optional<std::uint32_t> entry = checkDuplicate(source_);
    if (!entry) return false;
    if (!settings.loeschen) return true;
    const StoredCopy check = checkStoredCopy(*entry, source_);
    if (check == StoredCopy::verified) {
      queueDelete({source_, seen_, {storedCopyPath(*entry)}});
    } else {
      logRecord(storedCopyText(check), source_);
    }
    return true;
  }

  const TagInfo& tag() const { return tag_; }
  const std::string& ownName() const { return ownName_; }

  std::string underTarget(std::string_view name) const { return joinPath(target_, name); }

  // Without a target folder nothing below it can be made (it would land at
  // the top of the drive).
  platform::Status makeFolderIfMissing(const std::string& path, bool make = true) const {
    if (target_.empty()) return platform::failedWith(Failure::notFound);
    return ensureFolder(path, make);
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
    platform::Status made = name ? makeFolderIfMissing(folder) : platform::failedWith(Failure::other);
    if (made) return true;
    reportError(folderFailedMessage(folder), folder, made.failure);
    folder = joinPath(rootPath, target_tree::fallback);
    made = makeFolderIfMissing(folder);
    if (made) return true;
    showMessage(fallbackFailedMessage, errorCaption);
    if (made.failure == Failure::noSpace) {
      storeFailed("Verzeichnis konnte nicht angelegt werden", folder, made.failure);
    } else {
      ++scanProblems.failedCopies;  // the file is stored nowhere
    }
    return false;
  }

  void transfer(const std::string& targetPath, Bring how = Bring::copy) {
    if (target_.empty() && !settings.umbenennen) return;
    if (!settings.umbenennen) {
      // Every folder a copy goes to is checked (a link there is refused);
      // only the start of a scan makes the collecting folders.
      const PathParts parts = splitPath(targetPath);
      std::string folder = parts.drive + parts.dir;
      while (folder.size() > 1 && isPathSeparator(folder.back())) folder.pop_back();
      if (platform::Status ready = makeFolderIfMissing(folder, false); !ready) {
        storeFailed("Datei konnte nicht kopiert werden", targetPath, ready.failure);
        return;
      }
    }
    // Only a regular file is moved, and only as it was checksummed: one
    // written to since is copied, and the copy tells whether it was whole;
    // anything else (a pipe) is refused by the copy.
    if (how == Bring::move &&
        (seen_.kind != platform::Kind::file || !platform::fileInfo(source_).sameState(seen_))) {
      how = Bring::copy;
    }
    TransferResult result = transferFile(source_, targetPath, how);
    if (result.outcome == TransferOutcome::moved) {
      moved_ = true;
    } else if (result.outcome != TransferOutcome::copied) {
      return;
    } else if (!result.sourceSeen.sameState(seen_)) {
      // Every copy must be of the file as it was checksummed; one that was
      // written to in between breaks the pair and the delete.
      unchanged_ = false;
    }
    scan_memory::noteCopy(platform::fileInfo(result.storedAt).id);
    copies_.push_back(std::move(result.storedAt));
  }

  // Brings the file to each target in turn; with whole (every target of the
  // file could be reached) and loeschen the last one takes the file itself.
  void transferAll(const std::vector<std::string>& targets, bool whole) {
    for (std::size_t i = 0; i < targets.size(); ++i) {
      const bool last = i + 1 == targets.size();
      const bool move = last && whole && settings.loeschen && !settings.umbenennen && unchanged_;
      transfer(targets[i], move ? Bring::move : Bring::copy);
    }
    finish(whole);
  }

  // A file stored by a copy is remembered as seen, and under loeschen (when
  // allowed) its source goes once its copies are safe. A file stored
  // nowhere stays where it was and is not remembered, so a later look at it
  // never takes it for a duplicate.
  void finish(bool mayDelete) const {
    if (copies_.empty()) return;
    if (!unchanged_) {
      logRecord("Quelle nicht gelöscht: während des Sortierens verändert", source_);
      return;
    }
    recordStoredFile(copies_.front());
    // A moved file left its source in the same step.
    if (mayDelete && settings.loeschen && !moved_) queueDelete({source_, seen_, copies_});
  }

 private:
  std::string source_;
  std::string target_;
  TagInfo tag_;
  std::string ownName_;
  platform::FileInfo seen_;
  std::vector<std::string> copies_;
  bool unchanged_ = true;
  bool moved_ = false;
};

}  // namespace

void createBaseFolders() {
  if (settings.umbenennen) return;
  const std::string target = settings.zielPfad;
  for (std::string_view name : target_tree::baseFolders) {
    if (name == target_tree::artistRoot && !settings.kuenstler) continue;
    if (name == target_tree::genreRoot && !settings.genre) continue;
    const std::string folder = joinPath(target, name);
    if (target.empty() || !ensureFolder(folder)) {
      showMessage(folderFailedMessage(folder), errorCaption);
      return;
    }
  }
}

void placeTaggedFile(std::string_view sourcePath) {
  Placement placement(sourcePath);
  if (placement.skipIfDuplicate()) return;
  const TagInfo& tag = placement.tag();
  // The targets first, in their order, so that the last one is known: when
  // a tree folder cannot be made at all, the targets before it are still
  // served but the source stays.
  std::vector<std::string> targets;
  bool whole = true;

  if (settings.kuenstler && !tag.artist.empty()) {
    std::string folder;
    whole = placement.treeFolder(target_tree::artistRoot, tag.artist, folder);
    if (whole && !tag.album.empty() && settings.makealbum) {
      // An album folder that cannot be made is no error: the file stays in
      // the artist folder.
      if (std::optional<std::string> album = folderNameFromTag(tag.album)) {
        std::string albumFolder = joinPath(folder, *album);
        if (settings.umbenennen || placement.makeFolderIfMissing(albumFolder)) folder = albumFolder;
      }
    }
    std::string name = placement.ownName();
    if (!tag.title.empty() && !settings.norename) name = fileNameFromTag(tag.title) + ".MP3";
    if (whole) targets.push_back(joinPath(folder, name));
  }

  if (whole && settings.genre && !tag.genre.empty()) {
    std::string folder;
    whole = placement.treeFolder(target_tree::genreRoot, tag.genre, folder);
    if (whole) targets.push_back(joinPath(folder, placement.ownName()));
  }

  if (whole && settings.unbekannt &&
      ((settings.kuenstler && tag.artist.empty()) || (settings.genre && tag.genre.empty()))) {
    targets.push_back(joinPath(placement.underTarget(target_tree::taggedRest), placement.ownName()));
  }
  placement.transferAll(targets, whole);
}

void placeUntaggedFile(std::string_view sourcePath) {
  Placement placement(sourcePath);
  if (placement.skipIfDuplicate()) return;
  std::vector<std::string> targets;
  if (settings.unbekannt) targets.push_back(joinPath(placement.underTarget(target_tree::untagged), placement.ownName()));
  placement.transferAll(targets, true);
}
