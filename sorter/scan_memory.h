#pragma once
#include <string>
#include <string_view>

#include "platform/platform.h"

// What one scan remembers of the file system: the folders it fills and the
// copies it made (by identity, so that no spelling of a path leads the walk
// back into them), the folders it walked, the target folders it cleaned of
// leftovers, the links it reported.
namespace scan_memory {

// A new scan: everything forgotten.
void forget();

void noteFilledFolder(const platform::FileId& folder);
bool isFilledFolder(const platform::FileId& folder);

void noteCopy(const platform::FileId& copy);
bool isCopy(const platform::FileId& file);

// True the first time a folder is walked in this scan.
bool firstWalk(const platform::FileId& folder);
// True the first time a target folder receives something in this scan.
bool firstUse(std::string_view folder);
// True the first time a link is met in this scan.
bool firstReport(std::string_view path);

}  // namespace scan_memory
