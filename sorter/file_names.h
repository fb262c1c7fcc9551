#pragma once
#include <string>
#include <string_view>

// A file name reduced to ASCII letters, digits, "-", "_" and single spaces:
// umlauts and ß spelled out, "&" and "@" as words, everything else dropped,
// cut to 38 characters.
std::string cleanFileName(std::string_view name);

// Shrinks every run of c in text to one c.
void collapseRuns(std::string& text, char c);
