#include "sorter/transfer.h"

#include <string>

#include "common/controls.h"
#include "common/paths.h"
#include "common/shell.h"
#include "common/state.h"
#include "common/text.h"
#include "covers/cover_export.h"
#include "platform/platform.h"
#include "sorter/file_names.h"

namespace {

// Numbered names tried after a collision: -00 to -09.
constexpr int collisionSuffixes = 10;

void countFile() {
  ++scanCounters.files;
  setControlNumber(control::filesCounter, scanCounters.files);
}

void countCollision() {
  ++scanCounters.duplicates;
  setControlNumber(control::duplicatesCounter, scanCounters.duplicates);
}

// A path beyond the platform's limit is never cut to fit: the operation is
// refused instead.
bool copyWithinLimit(std::string_view source, const std::string& target) {
  return fitsPathLimit(target) && platform::copyFileNoOverwrite(source, target);
}

std::string numberedName(std::string_view name, int n) {
  std::string out(name);
  out += '-';
  out += static_cast<char>('0' + n / 10);
  out += static_cast<char>('0' + n % 10);
  return out;
}

TransferOutcome renameInPlace(std::string_view sourcePath, const std::string& newPath) {
  if (!fitsPathLimit(newPath)) return TransferOutcome::nothing;
  return platform::moveFileNoReplace(sourcePath, newPath) ? TransferOutcome::renamed
                                                          : TransferOutcome::nothing;
}

TransferOutcome copyToTarget(std::string_view sourcePath, const std::string& targetPath) {
  if (!fitsPathLimit(targetPath)) return TransferOutcome::nothing;
  if (platform::copyFileNoOverwrite(sourcePath, targetPath)) {
    countFile();
    if (settings.cover) exportCover(sourcePath, targetPath);
    return TransferOutcome::copied;
  }
  if (!settings.kollision) return TransferOutcome::nothing;

  countCollision();
  PathParts target = splitPath(targetPath);
  for (int n = 0; n < collisionSuffixes; ++n) {
    std::string candidate =
        mergePath(target.drive, target.dir, numberedName(target.name, n), target.ext);
    if (platform::pathExists(candidate)) continue;
    if (!copyWithinLimit(sourcePath, candidate)) continue;
    countFile();
    // The picture is taken from the numbered copy and named after it, so it
    // stands beside the file it belongs to.
    if (settings.cover) exportCover(sourcePath, candidate);
    return TransferOutcome::copied;
  }
  return TransferOutcome::nothing;
}

}  // namespace

TransferOutcome transferFile(std::string_view sourcePath, std::string_view targetPath) {
  const bool nameOnly = settings.nursaeubern != 0;
  std::string target(nameOnly ? sourcePath : targetPath);

  PathParts source = splitPath(sourcePath);
  PathParts parts = splitPath(target);
  // The rename mode takes the name as placement chose it, before cleaning.
  const std::string chosenName = parts.name;
  if (settings.saeubern || nameOnly) {
    target = mergePath(parts.drive, parts.dir, cleanFileName(parts.name), parts.ext);
  }

  if (nameOnly) {
    if (equalsNoCaseAscii(target, sourcePath)) return TransferOutcome::nothing;
    TransferOutcome outcome = renameInPlace(sourcePath, target);
    // Only a rename that happened counts.
    if (outcome == TransferOutcome::renamed) countFile();
    return outcome;
  }
  if (settings.umbenennen) {
    return renameInPlace(sourcePath, mergePath(source.drive, source.dir, chosenName, source.ext));
  }
  return copyToTarget(sourcePath, target);
}
