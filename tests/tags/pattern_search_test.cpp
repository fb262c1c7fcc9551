#include <gtest/gtest.h>

#include <string>

#include "tags/pattern_search.h"

namespace {

using Finder = const unsigned char* (*)(const unsigned char*, std::string_view, std::int32_t);

const unsigned char* bytes(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

struct SearchCase {
  const char* what;
  Finder finder;
  std::string data;
  std::string pattern;
  std::int32_t bound;
  int expected;  // offset of the match, -1 for none
};

TEST(PatternSearch, BoundsAndFirstMatch) {
  const std::string nulsThenTalb("\0\0TALB", 6);
  const SearchCase cases[] = {
      {"match ending at bound-1", findBytes, "xxTPE1", "TPE1", 6, 2},
      {"match crossing the bound", findBytes, "xxTPE1", "TPE1", 5, -1},
      {"pattern longer than bound", findBytes, "TPE1", "TPE1", 3, -1},
      {"negative bound", findBytes, "TPE1", "TPE1", -1, -1},
      {"zero bound", findBytes, "TPE1", "T", 0, -1},
      {"ID3 at the start", findBytes, "ID3\x03", "ID3", 3, 0},
      {"ID3 one byte in", findBytes, "xID3", "ID3", 3, -1},
      {"NULs before the match", findBytes, nulsThenTalb, "TALB", 6, 2},
      {"lowest of several", findBytes, "aTIT2bTIT2", "TIT2", 10, 1},
      {"overlapping start", findBytes, "TTPE1", "TPE1", 5, 1},
      {"exact search keeps case", findBytes, "IMAGE/PNG", "image/png", 9, -1},
      {"folded upper", findBytesNoCase, "IMAGE/PNG", "image/png", 9, 0},
      {"folded mixed", findBytesNoCase, "image/PNG", "image/png", 9, 0},
      {"no-case bound", findBytesNoCase, "ximage/png", "image/png", 9, -1},
      {"high bytes not folded", findBytesNoCase, "\xE4", "\xC4", 1, -1},
      {"0xFF matches itself", findBytesNoCase, "a\xFF", "\xFF", 2, 1},
      {"0xFF exact", findBytes, "a\xFF", "\xFF", 2, 1},
      {"empty pattern", findBytes, "abc", "", 3, -1},
  };
  for (const SearchCase& c : cases) {
    const unsigned char* found = c.finder(bytes(c.data), c.pattern, c.bound);
    int offset = found ? static_cast<int>(found - bytes(c.data)) : -1;
    EXPECT_EQ(offset, c.expected) << c.what;
  }
}

TEST(PatternSearch, LastCandidateOfAFullWindow) {
  std::string window(100000, '\x80');
  window.replace(100000 - 4, 4, "TCON");
  const unsigned char* found = findBytes(bytes(window), "TCON", 100000);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found - bytes(window), 100000 - 4);
  EXPECT_EQ(findBytes(bytes(window), "TCON", 99999), nullptr);
}

}  // namespace
