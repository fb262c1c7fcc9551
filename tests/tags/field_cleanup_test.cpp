#include <gtest/gtest.h>

#include <string>

#include "common/state.h"
#include "tags/field_cleanup.h"

namespace {

struct CleanCase {
  std::string in;
  std::string out;
};

TEST(FieldCleanup, PairsInOrderWithLeadingRunsDropped) {
  const CleanCase cases[] = {
      {"AC/DC", "AC-DC"},
      {"What's Up?", "What-s Up-"},
      {"R.E.M.", "R-E-M-"},
      {"REM", "REM"},
      {"...And Justice", "And Justice"},
      {"a::b", "a-b"},
      {"ab::", "ab-"},
      {"\"Heroes\"", "Heroes-"},
      // The backslash pass exposes the slash, which the next pass drops too.
      {"\\/x", "x"},
      // Reversed, the backslash is not leading when its pass runs, so it is
      // replaced; only then does the slash pass drop the leading slash.
      {"/\\x", "-x"},
      // Runs of different marks are not merged into one hyphen.
      {"x/\\y", "x--y"},
      {"x\\/y", "x--y"},
      // Dropping the leading question mark exposes the apostrophe to its
      // later pass; in the other order the question mark is inner and stays.
      {"?'a", "a"},
      {"'?a", "-a"},
      {"Live: Berlin", "Live- Berlin"},
      {"Jay-Z", "Jay-Z"},
      {"Intro   ", "Intro"},
      {"   ", ""},
      {"  lead", "  lead"},
      {"tab\t", "tab\t"},
      {"a<b>|c", "a<b>|c"},
      {"Mot\xC3\xB6rhead: Live", "Mot\xC3\xB6rhead- Live"},
      {"", ""},
  };
  for (const CleanCase& c : cases) {
    resetSharedState();
    tagInfo.artist = c.in;
    tagInfo.album = c.in;
    tagInfo.title = c.in;
    cleanTagFields();
    EXPECT_EQ(tagInfo.artist, c.out) << c.in;
    EXPECT_EQ(tagInfo.album, c.out) << c.in;
    EXPECT_EQ(tagInfo.title, c.out) << c.in;
  }
}

TEST(FieldCleanup, YearAndGenreKeepEveryCharacter) {
  resetSharedState();
  tagInfo.genre = "Pop/Funk";
  tagInfo.year = "19.9 ";
  cleanTagFields();
  EXPECT_EQ(tagInfo.genre, "Pop/Funk");
  EXPECT_EQ(tagInfo.year, "19.9 ");
}

TEST(ReplaceAll, GeneralTexts) {
  std::string text = "a--b--";
  replaceAll(text, "--", "+");
  EXPECT_EQ(text, "a+b+");
  text = "abc";
  replaceAll(text, "", "-");
  EXPECT_EQ(text, "abc");
  text = "x.y";
  replaceAll(text, ".", "<dot>");
  EXPECT_EQ(text, "x<dot>y");
}

}  // namespace
