#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// The ID3v1 block (the last 128 bytes of a file) and the "TAG+" block of 227
// bytes before it, which continues title, artist and album.
inline constexpr std::size_t id3v1BlockSize = 128;
inline constexpr std::size_t extendedBlockSize = 227;

struct Id3v1Offsets {
  std::size_t field;         // in the ID3v1 block, 30 bytes
  std::size_t continuation;  // in the "TAG+" block, 60 bytes
};
inline constexpr Id3v1Offsets id3v1Title{3, 4};
inline constexpr Id3v1Offsets id3v1Artist{33, 64};
inline constexpr Id3v1Offsets id3v1Album{63, 124};
inline constexpr std::size_t id3v1YearOffset = 93;
inline constexpr std::size_t id3v1GenreOffset = 127;

// Title, artist or album as UTF-8: the ID3v1 field followed by its
// continuation. block must be a whole ID3v1 block, extended a whole "TAG+"
// block (all spaces when the file has none).
std::string id3v1Text(std::string_view block, std::string_view extended, Id3v1Offsets offsets);

std::string id3v1Year(std::string_view block);
