#pragma once

// Control ids of the sort page ("MAIN"). Other modules write the page's
// controls through the shell by these ids.
namespace control {
inline constexpr int startButton = 100;
inline constexpr int targetEdit = 101;
inline constexpr int coverEdit = 102;
inline constexpr int sourceEdit = 103;
inline constexpr int duplicatesCounter = 104;
inline constexpr int filesCounter = 105;
inline constexpr int browseTarget = 106;
inline constexpr int browseCover = 107;
inline constexpr int browseSource = 108;
inline constexpr int currentFolder = 109;
inline constexpr int currentFile = 110;
inline constexpr int artist = 111;
inline constexpr int title = 112;
inline constexpr int album = 113;
inline constexpr int year = 114;
inline constexpr int genre = 115;
inline constexpr int statusLine = 116;

// The options page ("OPTIONS"): the check boxes carry the ids of flagKeys;
// this is its one push button.
inline constexpr int clearCrcButton = 209;
}  // namespace control
