#pragma once
#include <string_view>

// The name of an ID3v1 genre code: one of the 126 names for 0 to 125, the
// empty text for 126 and 127, "unbekannt" for 128 to 255.
std::string_view genreName(unsigned char code);
