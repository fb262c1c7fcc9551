#pragma once
#include <string_view>

// Walks folder (and with rekursiv its subfolders, depth first, files before
// folders) and hands every "*.MP3" file to the per-file work. Polls
// scanRunning between files; never enters the target folder or a link to a
// folder.
void scanFolder(std::string_view folder);
