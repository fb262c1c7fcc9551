#pragma once
#include <string_view>

// What one transfer did. Only a copy leaves the source free to be deleted: a
// renamed file is the source itself under its new name.
enum class TransferOutcome { nothing, copied, renamed };

// Brings the source to the target: renames it to its cleaned name in its own
// folder (nursaeubern), renames it in its own folder to the target's name
// (umbenennen), or copies it to the target without overwriting, with numbered
// names on a collision (kollision).
TransferOutcome transferFile(std::string_view sourcePath, std::string_view targetPath);
