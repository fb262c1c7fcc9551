#include <gtest/gtest.h>

#include "common/text.h"

namespace {

TEST(Utf8, DecodesAndRejects) {
  struct Case {
    std::string bytes;
    bool valid;
  };
  const Case cases[] = {
      {"Mot\xC3\xB6rhead", true},
      {"\xE6\x97\xA5\xE6\x9C\xAC", true},          // 日本
      {"\xF0\x9F\x8E\xB5", true},                  // U+1F3B5
      {"Mot\xF6rhead", false},                     // Latin-1 ö
      {"\xC0\xAF", false},                         // overlong '/'
      {"\xED\xA0\x80", false},                     // surrogate
      {"\xF4\x90\x80\x80", false},                 // above U+10FFFF
      {"\xE6\x97", false},                         // cut sequence
      {"", true},
  };
  for (const Case& c : cases) EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << c.bytes;
}

TEST(Utf8, EncodeRoundTrip) {
  for (char32_t cp : {U'A', U'\u00F6', U'\u0141', U'\u65E5', U'\U0001F3B5'}) {
    std::string out;
    appendUtf8(out, cp);
    std::size_t pos = 0;
    char32_t back = 0;
    ASSERT_TRUE(decodeUtf8(out, pos, back));
    EXPECT_EQ(back, cp);
    EXPECT_EQ(pos, out.size());
  }
  std::string bad;
  appendUtf8(bad, 0xD800);
  EXPECT_EQ(bad, "\xEF\xBF\xBD");
}

TEST(CodePages, Latin1AndCp1252) {
  EXPECT_EQ(latin1ToUtf8("\xC4\xD6\xDC\xDF"), "\xC3\x84\xC3\x96\xC3\x9C\xC3\x9F");
  // 0x80 is a control character in Latin-1 but the euro sign in Windows-1252.
  EXPECT_EQ(latin1ToUtf8("\x80"), "\xC2\x80");
  EXPECT_EQ(cp1252ToUtf8("\x80\xB4"), "\xE2\x82\xAC\xC2\xB4");
  EXPECT_EQ(utf8OrCp1252("Ziel f\xC3\xBCr"), "Ziel f\xC3\xBCr");
  EXPECT_EQ(utf8OrCp1252("Ziel f\xFCr"), "Ziel f\xC3\xBCr");
}

TEST(CutAtCharBoundary, NeverSplitsASequence) {
  const std::string text = "ab\xC3\xB6\xE6\x97\xA5";  // a b ö 日
  EXPECT_EQ(cutAtCharBoundary(text, 10), text);
  EXPECT_EQ(cutAtCharBoundary(text, 7), text);
  EXPECT_EQ(cutAtCharBoundary(text, 6), "ab\xC3\xB6");
  EXPECT_EQ(cutAtCharBoundary(text, 5), "ab\xC3\xB6");
  EXPECT_EQ(cutAtCharBoundary(text, 3), "ab");
  EXPECT_EQ(cutAtCharBoundary(text, 0), "");
  std::string field;
  boundedCopy(field, std::string(254, 'x') + "\xC3\xB6", 255);
  EXPECT_EQ(field.size(), 254u);
}

TEST(NoCase, FoldsAsciiOnly) {
  EXPECT_TRUE(equalsNoCaseAscii("Song.MP3", "song.mp3"));
  EXPECT_FALSE(equalsNoCaseAscii("\xC3\xB6", "\xC3\x96"));
  EXPECT_LT(compareNoCaseAscii("abc", "ABD"), 0);
  EXPECT_GT(compareNoCaseAscii("b", "A"), 0);
  EXPECT_LT(compareNoCaseAscii("ab", "abc"), 0);
}

}  // namespace
