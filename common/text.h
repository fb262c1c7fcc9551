#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Text inside the program is UTF-8. These helpers decode, encode and convert
// the single-byte code pages that old tags and old INI files use.

inline constexpr char32_t replacementCharacter = 0xFFFD;

// Decodes one character at pos and advances pos. Returns false (and leaves
// pos unchanged) when the bytes at pos are not a valid, shortest-form UTF-8
// sequence of a Unicode scalar value.
bool decodeUtf8(std::string_view text, std::size_t& pos, char32_t& cp);

// Appends cp as UTF-8; surrogates and values above U+10FFFF become U+FFFD.
void appendUtf8(std::string& out, char32_t cp);

bool isValidUtf8(std::string_view text);

std::string latin1ToUtf8(std::string_view bytes);
std::string cp1252ToUtf8(std::string_view bytes);

// Valid UTF-8 stays as it is; anything else is taken as Windows-1252.
std::string utf8OrCp1252(std::string_view bytes);

// The longest prefix of text that is at most maxBytes long and does not end
// inside a UTF-8 sequence.
std::string_view cutAtCharBoundary(std::string_view text, std::size_t maxBytes);

// dst = src, cut to at most maxBytes at a character boundary.
void boundedCopy(std::string& dst, std::string_view src, std::size_t maxBytes);

char asciiUpper(char c);
bool equalsNoCaseAscii(std::string_view a, std::string_view b);
// Negative, zero or positive like strcmp, comparing with ASCII letters folded.
int compareNoCaseAscii(std::string_view a, std::string_view b);
