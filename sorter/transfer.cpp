#include "sorter/transfer.h"

#include <string>

#include "common/controls.h"
#include "common/paths.h"
#include "common/shell.h"
#include "common/state.h"
#include "common/text.h"
#include "covers/cover_export.h"
#include "platform/platform.h"
#include "sorter/error_log.h"
#include "sorter/file_names.h"

namespace {

using platform::Failure;

// Numbered names tried after a collision: -00 to -09.
constexpr int collisionSuffixes = 10;

// The name of a file whose name is gone entirely (a file called ".mp3").
constexpr std::string_view unnamed = "Unbenannt";

void countFile() {
  ++scanCounters.files;
  setControlNumber(control::filesCounter, scanCounters.files);
}

void countCollision() {
  ++scanCounters.duplicates;
  setControlNumber(control::duplicatesCounter, scanCounters.duplicates);
}

std::string numberedName(std::string_view name, int n) {
  std::string out(name);
  out += '-';
  out += static_cast<char>('0' + n / 10);
  out += static_cast<char>('0' + n % 10);
  return out;
}

bool hasLetterOrDigit(std::string_view text) {
  for (unsigned char c : text) {
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x80) return true;
  }
  return false;
}

TransferResult renameInPlace(std::string_view sourcePath, const std::string& newPath) {
  if (!fitsPathLimit(newPath)) {
    storeFailed("Datei konnte nicht umbenannt werden", newPath, Failure::nameTooLong);
    return {};
  }
  platform::Status moved = platform::moveFileNoReplace(sourcePath, newPath);
  if (moved) return {TransferOutcome::renamed, newPath, {}};
  // A taken name leaves the file as it is, as it always did.
  if (moved.failure != Failure::exists) storeFailed("Datei konnte nicht umbenannt werden", newPath, moved.failure);
  return {};
}

// One attempt at one name. Nothing but a taken name lets the caller try
// another.
platform::Status placeOnce(std::string_view sourcePath, const std::string& targetPath, Bring how,
                           TransferResult& result) {
  if (!fitsPathLimit(targetPath)) return platform::failedWith(Failure::nameTooLong);
  TransferOutcome outcome = TransferOutcome::copied;
  platform::Status placed = platform::failedWith(Failure::other);
  if (how == Bring::move) {
    placed = platform::moveFileNoReplace(sourcePath, targetPath);
    if (!placed && placed.failure == Failure::exists) return placed;
    outcome = TransferOutcome::moved;
  }
  // Not movable (another file system, a read-only source folder): copied,
  // and deleted by placement once the copy is safe.
  if (!placed) {
    placed = platform::copyFileNoOverwrite(sourcePath, targetPath, &result.sourceSeen);
    outcome = TransferOutcome::copied;
  }
  if (!placed) return placed;
  result.outcome = outcome;
  result.storedAt = targetPath;
  countFile();
  // The picture is taken from the copy (numbered or not) and named after it,
  // so it stands beside the file it belongs to.
  if (settings.cover) exportCover(sourcePath, targetPath);
  return placed;
}

TransferResult copyToTarget(std::string_view sourcePath, const std::string& targetPath, Bring how) {
  TransferResult result;
  platform::Status placed = placeOnce(sourcePath, targetPath, how, result);
  if (placed) return result;
  if (placed.failure != Failure::exists) {
    storeFailed("Datei konnte nicht kopiert werden", targetPath, placed.failure);
    return {};
  }
  // Sorting a sorted tree again: the file already stands where it belongs.
  if (platform::sameFile(sourcePath, targetPath)) return {};
  if (!settings.kollision) return {};

  countCollision();
  PathParts target = splitPath(targetPath);
  for (int n = 0; n < collisionSuffixes; ++n) {
    std::string candidate = mergePath(target.drive, target.dir, numberedName(target.name, n), target.ext);
    if (platform::pathExists(candidate)) {
      if (platform::sameFile(sourcePath, candidate)) return {};
      continue;
    }
    placed = placeOnce(sourcePath, candidate, how, result);
    if (placed) return result;
    if (placed.failure == Failure::exists) continue;
    storeFailed("Datei konnte nicht kopiert werden", candidate, placed.failure);
    return {};
  }
  storeFailed("Datei konnte nicht kopiert werden, alle Nummern vergeben", targetPath, Failure::exists);
  return {};
}

}  // namespace

void storeFailed(std::string_view what, std::string_view path, Failure why) {
  ++scanProblems.failedCopies;
  std::string message(what);
  message += ": ";
  message += platform::failureText(why);
  reportError(message, path);
  if (why != Failure::noSpace || scanProblems.targetFull) return;
  // Every further file would fail the same way: stop after this one, and
  // say so once.
  scanProblems.targetFull = true;
  scanRunning = 0;
  std::string full = "Ziel voll: kein Platz mehr für\n";
  full += path;
  full += "\nDer Lauf wurde beendet; nicht kopierte Dateien bleiben an ihrem Platz.";
  showMessage(full, errorCaption);
}

std::string cleanedName(std::string_view name) {
  std::string cleaned = cleanFileName(name);
  if (!hasLetterOrDigit(cleaned)) return std::string(name);
  return cleaned;
}

TransferResult transferFile(std::string_view sourcePath, std::string_view targetPath, Bring how) {
  const bool nameOnly = settings.nursaeubern != 0;
  std::string target(nameOnly ? sourcePath : targetPath);

  PathParts source = splitPath(sourcePath);
  PathParts parts = splitPath(target);
  // The rename mode takes the name as placement chose it, before cleaning.
  std::string chosenName = parts.name;
  if (settings.saeubern || nameOnly) parts.name = cleanedName(parts.name);
  // Never a file that is all extension or all number.
  if (parts.name.empty()) parts.name = unnamed;
  if (chosenName.empty()) chosenName = unnamed;
  target = mergePath(parts.drive, parts.dir, parts.name, parts.ext);

  if (nameOnly) {
    if (equalsNoCaseAscii(target, sourcePath)) return {};
    TransferResult result = renameInPlace(sourcePath, target);
    // Only a rename that happened counts.
    if (result.outcome == TransferOutcome::renamed) countFile();
    return result;
  }
  if (settings.umbenennen) {
    return renameInPlace(sourcePath, mergePath(source.drive, source.dir, chosenName, source.ext));
  }
  return copyToTarget(sourcePath, target, how);
}
