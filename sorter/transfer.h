#pragma once
#include <string_view>

// Brings the source to the target: renames it to its cleaned name in its own
// folder (nursaeubern), renames it in its own folder to the target's name
// (umbenennen), or copies it to the target without overwriting, with numbered
// names on a collision (kollision). Returns true when a copy was stored (or,
// in the renaming modes, the rename succeeded).
bool transferFile(std::string_view sourcePath, std::string_view targetPath);

// What one transfer did. Only a copy leaves the source free to be deleted: a
// renamed file is the source itself under its new name.
enum class TransferOutcome { nothing, copied, renamed };
TransferOutcome transferFileOutcome(std::string_view sourcePath, std::string_view targetPath);
