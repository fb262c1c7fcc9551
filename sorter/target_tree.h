#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>

// The folders that placement makes under the target folder. Every copy lands
// somewhere below one of the four base folders.
namespace target_tree {

inline constexpr std::string_view artistRoot = "Kuenstler";
inline constexpr std::string_view genreRoot = "Genre";
inline constexpr std::string_view taggedRest = "Mit ID3-Tag";
inline constexpr std::string_view untagged = "Ohne ID3-Tag";
inline constexpr std::string_view fallback = "!Fehler";

inline constexpr std::array<std::string_view, 4> baseFolders{artistRoot, genreRoot, taggedRest,
                                                             untagged};

}  // namespace target_tree

// A tag text as one folder name below the target folder. Separators become
// "-" (the genre "Pop/Funk" is one folder, not two); a text that would name
// the folder itself or its parent ("." and "..", or only dots, which Windows
// trims to nothing) or that holds a NUL is refused. Returns nothing when
// refused.
std::optional<std::string> folderNameFromTag(std::string_view text);

// A tag text as a file name: separators and NULs become "-".
std::string fileNameFromTag(std::string_view text);
