#pragma once
#include <string>
#include <string_view>

#include "platform/platform.h"

// What one transfer did. Only a copy leaves the source free to be deleted: a
// moved or renamed file is the source itself under its new name.
enum class TransferOutcome { nothing, copied, moved, renamed };

// How a file reaches a target in the target tree. Moving is for the last
// target of a file whose source goes anyway (loeschen): the file itself
// takes its place, in one step that nothing can interrupt halfway, without
// writing its bytes again or waiting for the disk. Where it cannot be moved
// (another file system) it is copied, and the source goes once the copy is
// safe.
enum class Bring { copy, move };

struct TransferResult {
  TransferOutcome outcome = TransferOutcome::nothing;
  // Where the file now lies: the copy (with its number) or the new name.
  std::string storedAt;
  // The source as it was when it was copied.
  platform::FileInfo sourceSeen;
};

// Brings the source to the target: renames it to its cleaned name in its own
// folder (nursaeubern), renames it in its own folder to the target's name
// (umbenennen), or copies (or moves) it to the target without overwriting,
// with numbered names on a collision (kollision). A failure other than a
// taken name is reported with its reason and counted in scanProblems; a full
// target stops the scan after the file in hand.
[[nodiscard]] TransferResult transferFile(std::string_view sourcePath, std::string_view targetPath,
                                          Bring how = Bring::copy);

// A name as cleaning makes it (saeubern, nursaeubern): cleanFileName, unless
// that leaves no letter and no digit, for a name in other scripts or of signs
// only; then the name as it was.
std::string cleanedName(std::string_view name);

// Tells scanProblems and the user about a failure to store something at
// path; a full target stops the scan after the file in hand, with one
// message.
void storeFailed(std::string_view what, std::string_view path, platform::Failure why);
