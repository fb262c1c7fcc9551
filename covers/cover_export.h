#pragma once
#include <string_view>

// Writes the cover picture of the copy at targetPath beside it: the picture of
// its first APIC frame as .JPG or .PNG, or else a file from the cover folder
// named like the source (findCoverFile).
void exportCover(std::string_view sourcePath, std::string_view targetPath);

// Copies the first file named like the source (any extension) found in
// folder, or with rekursiv in its subfolders, into the target's folder under
// its own name, never overwriting. Names are compared literally with ASCII
// letters folded, so wildcard characters in a POSIX file name match only
// themselves. Links to folders are not followed.
void findCoverFile(std::string_view sourcePath, std::string_view targetPath,
                   std::string_view folder);
