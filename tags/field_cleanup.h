#pragma once
#include <string>
#include <string_view>

// Makes artist, album and title of tagInfo usable as folder and file names:
// eight characters become "-" (a leading run of one is dropped), trailing
// spaces go. Year and genre are left as read.
void cleanTagFields();

// Replaces every occurrence of find by replacement; an occurrence at the
// start of the text or directly after the previous one is dropped instead.
void replaceAll(std::string& text, std::string_view find, std::string_view replacement);

void trimTrailingSpaces(std::string& text);
