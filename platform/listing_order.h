#pragma once
#include <vector>

#include "platform/platform.h"

namespace platform {

// The one order of every listing on every platform: by name with ASCII
// letters folded, ties by bytes, so that walks are repeatable.
void sortEntries(std::vector<DirEntry>& entries);

}  // namespace platform
