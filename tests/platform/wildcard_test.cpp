#include <gtest/gtest.h>

#include "platform/platform.h"

namespace {

struct WildcardCase {
  const char* name;
  const char* pattern;
  bool matches;
};

const WildcardCase wildcardCases[] = {
    {"song.mp3", "*.MP3", true},
    {"SONG.Mp3", "*.MP3", true},
    {"Live.MP3", "*.MP3", true},
    {"song.mp3.bak", "*.MP3", false},
    {"song.mp", "*.MP3", false},
    {".MP3", "*.MP3", true},
    {"a.b.mp3", "*.MP3", true},
    {"noext", "*.*", true},
    {".", "*.*", true},
    {"..", "*.*", true},
    {"Song", "Song.*", true},
    {"Song.jpg", "Song.*", true},
    {"song.JPG", "Song.*", true},
    {"Song.old.txt", "Song.*", true},
    {"Songs", "Song.*", false},
    {"Son", "Song.*", false},
    {"S\xC3\xB6ng.png", "S\xC3\xB6ng.*", true},
    {"S\xC3\x96ng.png", "S\xC3\xB6ng.*", false},  // only ASCII letters fold
    {"abc", "a?c", true},
    {"ac", "a?c", false},
    {"aXbXc", "a*b*c", true},
    {"aXbX", "a*b*c", false},
};

TEST(Wildcard, WindowsRules) {
  for (const WildcardCase& c : wildcardCases) {
    EXPECT_EQ(platform::matchesWildcard(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
  }
}

TEST(Wildcard, LongNameDoesNotBlowUp) {
  std::string name(4000, 'a');
  EXPECT_FALSE(platform::matchesWildcard(name, "*a*a*a*a*a*a*b"));
  EXPECT_TRUE(platform::matchesWildcard(name + ".mp3", "*.MP3"));
}

}  // namespace
