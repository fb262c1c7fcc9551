#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/platform.h"

namespace {

TEST(Wildcard, WindowsRules) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"song.mp3", "*.MP3", true},      {"SONG.Mp3", "*.MP3", true},       {"Live.MP3", "*.MP3", true},
      {"song.mp3.bak", "*.MP3", false}, {"song.mp", "*.MP3", false},       {".MP3", "*.MP3", true},
      {"a.b.mp3", "*.MP3", true},       {"noext", "*.*", true},            {".", "*.*", true},
      {"..", "*.*", true},              {"Song", "Song.*", true},          {"Song.jpg", "Song.*", true},
      {"song.JPG", "Song.*", true},     {"Song.old.txt", "Song.*", true},  {"Songs", "Song.*", false},
      {"Son", "Song.*", false},         {"abc", "a?c", true},              {"ac", "a?c", false},
      {"aXbXc", "a*b*c", true},         {"aXbX", "a*b*c", false},
      {"S\xC3\xB6ng.png", "S\xC3\xB6ng.*", true},
      {"S\xC3\x96ng.png", "S\xC3\xB6ng.*", false},  // only ASCII letters fold
  };
  for (const auto& [name, pattern, matches] : cases) {
    EXPECT_EQ(platform::matchesWildcard(name, pattern), matches) << name << " ~ " << pattern;
  }
}

TEST(Wildcard, LongNameDoesNotBlowUp) {
  std::string name(4000, 'a');
  EXPECT_FALSE(platform::matchesWildcard(name, "*a*a*a*a*a*a*b"));
  EXPECT_TRUE(platform::matchesWildcard(name + ".mp3", "*.MP3"));
}

}  // namespace
