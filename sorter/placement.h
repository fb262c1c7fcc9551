#pragma once
#include <string_view>

// Makes Kuenstler, Genre, Mit ID3-Tag and Ohne ID3-Tag under the target
// folder, as the options ask.
void createBaseFolders();

// Duplicate check, then the artist tree, the genre tree and "Mit ID3-Tag" as
// tagInfo and the options say; deletes the source under loeschen once stored.
void placeTaggedFile(std::string_view sourcePath);
// Duplicate check, then "Ohne ID3-Tag"; deletes under loeschen once stored.
void placeUntaggedFile(std::string_view sourcePath);
