#include "sorter/file_names.h"

#include "common/text.h"

namespace {

// Longest cleaned name; a collision suffix may still be added after it.
constexpr std::size_t cleanNameMax = 38;

bool keptAsIs(char32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || c == ' ';
}

struct Spelling {
  char32_t character;
  std::string_view replacement;
};

constexpr Spelling spellings[] = {
    {U'ä', "ae"}, {U'Ä', "Ae"}, {U'ö', "oe"},    {U'Ö', "Oe"},   {U'ü', "ue"},
    {U'Ü', "Ue"}, {U'ß', "ss"}, {U'&', " and "}, {U'@', " at "},
};

}  // namespace

std::string cleanFileName(std::string_view name) {
  std::string result;
  result.reserve(name.size());
  std::size_t pos = 0;
  while (pos < name.size()) {
    char32_t c;
    if (!decodeUtf8(name, pos, c)) {
      ++pos;  // a byte that is no character of its own is dropped like any other
      continue;
    }
    if (keptAsIs(c)) {
      result += static_cast<char>(c);
      continue;
    }
    for (const Spelling& s : spellings) {
      if (s.character == c) {
        result += s.replacement;
        break;
      }
    }
  }
  collapseRuns(result, ' ');
  // The result is ASCII, so a byte cut is a character cut.
  if (result.size() > cleanNameMax) result.resize(cleanNameMax);
  return result;
}

void collapseRuns(std::string& text, char c) {
  std::size_t out = 0;
  bool previousWasC = false;
  for (char ch : text) {
    if (ch == c && previousWasC) continue;
    previousWasC = ch == c;
    text[out++] = ch;
  }
  text.resize(out);
}
