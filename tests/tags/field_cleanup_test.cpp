#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>

#include "common/state.h"
#include "tags/field_cleanup.h"

namespace {

TEST(FieldCleanup, PairsInOrderWithLeadingRunsDropped) {
  const std::pair<std::string, std::string> cases[] = {
      {"AC/DC", "AC-DC"}, {"What's Up?", "What-s Up-"}, {"R.E.M.", "R-E-M-"},
      {"...And Justice", "And Justice"}, {"a::b", "a-b"}, {"ab::", "ab-"}, {"\"Heroes\"", "Heroes-"},
      // The backslash pass exposes the slash, which the next pass drops too.
      // Reversed, the backslash is not leading when its pass runs, so it is
      // replaced; only then does the slash pass drop the leading slash.
      {"\\/x", "x"}, {"/\\x", "-x"},
      // Runs of different marks are not merged into one hyphen.
      {"x/\\y", "x--y"}, {"x\\/y", "x--y"},
      // Dropping the leading question mark exposes the apostrophe to its
      // later pass; in the other order the question mark is inner and stays.
      {"?'a", "a"}, {"'?a", "-a"},
      {"Intro   ", "Intro"}, {"   ", ""}, {"  lead", "  lead"}, {"tab\t", "tab\t"},
      {"a<b>|c", "a<b>|c"}, {"Mot\xC3\xB6rhead: Live", "Mot\xC3\xB6rhead- Live"}, {"", ""},
  };
  for (const auto& [in, out] : cases) {
    resetSharedState();
    tagInfo.artist = tagInfo.album = tagInfo.title = in;
    tagInfo.year = "19.9 ";
    tagInfo.genre = "Pop/Funk";
    cleanTagFields();
    EXPECT_EQ((std::array{tagInfo.artist, tagInfo.album, tagInfo.title}), (std::array{out, out, out}))
        << in;
    // Year and genre are not made fit for file names.
    EXPECT_EQ(tagInfo.year + tagInfo.genre, "19.9 Pop/Funk");
  }
}

TEST(ReplaceAll, GeneralTexts) {
  const std::array<std::string, 4> cases[] = {
      {"a--b--", "--", "+", "a+b+"}, {"abc", "", "-", "abc"}, {"x.y", ".", "<dot>", "x<dot>y"}};
  for (const auto& [text, find, replacement, out] : cases) {
    std::string result = text;
    replaceAll(result, find, replacement);
    EXPECT_EQ(result, out);
  }
}

}  // namespace
