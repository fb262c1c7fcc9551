#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "tags/pattern_search.h"

namespace {

using Finder = const unsigned char* (*)(const unsigned char*, std::string_view, std::int32_t);

const unsigned char* bytes(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

TEST(PatternSearch, BoundsAndFirstMatch) {
  const std::string fullWindow = std::string(100000 - 4, '\x80') + "TCON";
  // What, finder, data, pattern, bound, offset of the match (-1: none).
  const std::tuple<const char*, Finder, std::string, std::string, std::int32_t, int> cases[] = {
      {"match ending at bound-1", findBytes, "xxTPE1", "TPE1", 6, 2},
      {"match crossing the bound", findBytes, "xxTPE1", "TPE1", 5, -1},
      {"last candidate of a full window", findBytes, fullWindow, "TCON", 100000, 100000 - 4},
      {"full window, bound one short", findBytes, fullWindow, "TCON", 99999, -1},
      {"pattern longer than bound", findBytes, "TPE1", "TPE1", 3, -1},
      {"negative bound", findBytes, "TPE1", "TPE1", -1, -1},
      {"zero bound", findBytes, "TPE1", "T", 0, -1},
      {"ID3 at the start", findBytes, "ID3\x03", "ID3", 3, 0},
      {"ID3 one byte in", findBytes, "xID3", "ID3", 3, -1},
      {"NULs before the match", findBytes, std::string("\0\0TALB", 6), "TALB", 6, 2},
      {"lowest of several", findBytes, "aTIT2bTIT2", "TIT2", 10, 1},
      {"overlapping start", findBytes, "TTPE1", "TPE1", 5, 1},
      {"exact search keeps case", findBytes, "IMAGE/PNG", "image/png", 9, -1},
      {"folded", findBytesNoCase, "image/PNG", "image/png", 9, 0},
      {"no-case bound", findBytesNoCase, "ximage/png", "image/png", 9, -1},
      {"high bytes not folded", findBytesNoCase, "\xE4", "\xC4", 1, -1},
      {"0xFF matches itself", findBytesNoCase, "a\xFF", "\xFF", 2, 1},
      {"0xFF exact", findBytes, "a\xFF", "\xFF", 2, 1},
      {"empty pattern", findBytes, "abc", "", 3, -1},
  };
  for (const auto& [what, finder, data, pattern, bound, expected] : cases) {
    const unsigned char* found = finder(bytes(data), pattern, bound);
    EXPECT_EQ(found ? static_cast<int>(found - bytes(data)) : -1, expected) << what;
  }
}

}  // namespace
