#pragma once
#include <string_view>

// Reads the ID3v2 or ID3v1 tag of one file into tagInfo, shows the five
// fields on the sort page and cleans artist, album and title for file names.
// Returns true when the file has a tag (its fields may still be empty).
bool readTag(std::string_view path);
