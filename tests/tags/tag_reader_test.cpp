#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "common/controls.h"
#include "common/state.h"
#include "platform/faults.h"
#include "tags/tag_reader.h"
#include "tools/id3_writer.h"
#include "tests/support/test_support.h"

namespace {

using namespace std::string_literals;
using id3::textBody;
using platform::faults::Op;
using enum id3::Encoding;
using Fields = std::array<std::string, 5>;  // artist, album, title, year, genre

const std::string lukasz = "\xC5\x81ukasz", nihon = "\xE6\x97\xA5\xE6\x9C\xAC",
                  motorhead = "Mot\xC3\xB6rhead";

class TagReaderTest : public testing_support::TempFolderTest {
 protected:
  bool read(const std::string& bytes) {
    testing_support::writeFile(path("song.mp3"), bytes);
    return readTag(path("song.mp3"));
  }
  Fields page() {
    return {recorder.getText(control::artist), recorder.getText(control::album),
            recorder.getText(control::title), recorder.getText(control::year),
            recorder.getText(control::genre)};
  }
  static Fields fields() {
    return {tagInfo.artist, tagInfo.album, tagInfo.title, tagInfo.year, tagInfo.genre};
  }
};

std::string v2File(int version, const std::vector<std::string>& frames, std::size_t size = 120000,
                   const std::string& trailer = "") {
  return id3::mp3File(id3::tag(version, frames), size, trailer);
}

// frameBytes at offset `at` behind an empty ID3v2 header, in filler without ASCII.
std::string fileWithFrameAt(std::size_t at, const std::string& frameBytes, std::size_t size,
                            const std::string& trailer = "") {
  return id3::mp3File(id3::tag(3, {}) + id3::audio(at - 10, 5) + frameBytes, size, trailer);
}

std::string repeated(std::string_view unit, int count) {
  std::string out;
  while (count-- > 0) out += unit;
  return out;
}

TEST_F(TagReaderTest, TextEncodings) {
  const std::tuple<const char*, int, std::string, std::string> cases[] = {
      {"latin1", 3, textBody(latin1, motorhead), motorhead},
      {"latin1 terminated", 3, textBody(latin1, motorhead, true), motorhead},
      {"utf16 LE", 3, textBody(utf16, lukasz), lukasz},
      {"utf16 LE terminated", 3, textBody(utf16, nihon, true), nihon},
      {"utf16 BE mark", 3, textBody(utf16, nihon, false, true), nihon},
      {"utf16 BE mark terminated", 3, textBody(utf16, lukasz, true, true), lukasz},
      {"utf16 without mark", 3, "\x01H\0i\0"s, "Hi"},
      {"utf16 odd last byte", 3, "\x01\xFF\xFEH\0i"s, "H"},
      // U+012E holds the byte 0x2E; only the character U+002E is a dot.
      {"utf16 dot byte", 3, textBody(utf16, "\xC4\xAE"), "\xC4\xAE"},
      {"utf16 surrogate pair", 3, textBody(utf16, "\xF0\x9F\x8E\xB5"), "\xF0\x9F\x8E\xB5"},
      {"utf16 lone surrogate", 3, "\x01\xFF\xFE\x00\xD8" "A\0"s, "\xEF\xBF\xBD" "A"},
      {"utf16be", 4, textBody(utf16be, nihon), nihon},
      {"utf16be terminated", 4, textBody(utf16be, lukasz, true), lukasz},
      {"utf8", 4, textBody(utf8, motorhead), motorhead},
      {"utf8 terminated", 4, textBody(utf8, nihon, true), nihon},
      {"utf8 with a stray latin1 byte", 4, "\x03Mot\xF6rhead"s, motorhead},
      {"unknown encoding byte kept", 3, "\x04" "Abc"s, "\x04" "Abc"},
      {"first value only, latin1", 3, "\0A\0B"s, "A"},
      {"first value only, utf16", 3, textBody(utf16, "A", true) + "\xFF\xFE" "B\0"s, "A"},
      {"first value only, utf8", 4, "\x03" "A\0B"s, "A"},
      {"dots dropped, latin1", 3, textBody(latin1, "R.E.M."), "REM"},
      {"dots dropped, utf16", 3, textBody(utf16, "R.E.M.", true), "REM"},
      {"only the encoding byte", 3, "\0"s, ""},
      {"genre reference kept as text", 3, "\0(17)\0"s, "(17)"},
  };
  // The genre frame is read like the others: "Rock" without a terminator keeps its "k".
  for (const auto& [what, version, body, expected] : cases) {
    EXPECT_TRUE(read(v2File(version, {id3::frame(version, "TIT2", body), id3::frame(version, "TCON", body)})))
        << what;
    EXPECT_EQ(fields(), (Fields{"", "", expected, "", expected})) << what;
    EXPECT_EQ(page(), fields()) << what;
  }
}

TEST_F(TagReaderTest, TextLongerThanAFieldIsCutAtACharacter) {
  const std::tuple<id3::Encoding, std::string, std::string> cases[] = {
      {latin1, std::string(300, 'a'), std::string(255, 'a')},
      {utf8, repeated("\xC3\xB6", 150), repeated("\xC3\xB6", 127)},
      {utf16, repeated("\xE6\x97\xA5", 100), repeated("\xE6\x97\xA5", 85)},
      // Dots do not count against the limit: they are gone before the cut.
      {latin1, repeated("a.", 200), std::string(200, 'a')},
  };
  for (const auto& [encoding, text, expected] : cases) {
    ASSERT_TRUE(read(v2File(4, {id3::frame(4, "TALB", textBody(encoding, text))})));
    EXPECT_EQ(tagInfo.album, expected);
  }
}

TEST_F(TagReaderTest, FrameSizes) {
  const std::string abba = id3::frame(3, "TPE1", "\0Abba"s);  // the same bytes in 2.4
  const std::string x143(143, 'x'), a199(199, 'a');
  using Frames = std::vector<std::string>;
  const std::tuple<const char*, int, Frames, std::string, std::string> cases[] = {
      {"0x90 is unsigned", 3, {id3::frameWithSize("TIT2", 0x90, "\0"s + x143), abba}, x143, "Abba"},
      // 200 bytes: plain 00 00 00 C8 in 2.3, syncsafe 00 00 01 48 in 2.4. Read the
      // wrong way, the title swallows the next frame's id or loses its end.
      {"200, plain", 3, {id3::frame(3, "TIT2", "\0"s + a199), abba}, a199, "Abba"},
      {"200, syncsafe", 4, {id3::frame(4, "TIT2", "\0"s + a199), abba}, a199, "Abba"},
      {"the high half counts", 3, {id3::frameWithSize("TIT2", 0x00010005, "\0Hello\0"s)}, "Hello", ""},
      {"size 0", 3, {id3::frameWithSize("TIT2", 0, ""), abba}, "", "Abba"},
      {"bounded by the window", 3, {id3::frameWithSize("TIT2", 0xFFFFFFFF, "\0Huge\0"s)}, "Huge", ""},
  };
  for (const auto& [what, version, frames, title, artist] : cases) {
    ASSERT_TRUE(read(v2File(version, frames))) << what;
    EXPECT_EQ(tagInfo.title, title) << what;
    EXPECT_EQ(tagInfo.artist, artist) << what;
  }
}

TEST_F(TagReaderTest, FramesAtTheEndOfTheWindow) {
  const std::string longTitle = id3::frame(3, "TIT2", "\0"s + std::string(99, 'x'));
  const std::pair<std::size_t, std::string> cases[] = {
      {100000 - 30, std::string(19, 'x')},  // content cut by the window
      {100000 - 6, ""},                     // header cut by the window
      {100000 - 4, ""},                     // identifier ends at the last byte
      {100000 - 3, "Fallback"},             // identifier crosses the window: not found
  };
  for (const auto& [at, title] : cases) {
    EXPECT_TRUE(read(fileWithFrameAt(at, longTitle, 150000, id3::id3v1("Fallback", "", "", "", 0))));
    EXPECT_EQ(tagInfo.title, title) << at;
  }
}

TEST_F(TagReaderTest, FirstOccurrenceInTheWindowIsTheFrame) {
  const std::string comment = id3::frame(3, "COMM", "\0eng\0TIT2\0\0\0\x05\0\0\0Fake"s);
  ASSERT_TRUE(read(v2File(3, {comment, id3::frame(3, "TIT2", "\0Real"s)})));
  EXPECT_EQ(tagInfo.title, "Fake");

  // Frames in a file that does not begin with "ID3" are not looked at.
  const std::string buried = id3::audio(500) + id3::frame(3, "TPE1", "\0Abba"s);
  EXPECT_FALSE(read(id3::mp3File(buried, 120000)));
  EXPECT_EQ(tagInfo.artist, "");
  ASSERT_TRUE(read(id3::mp3File(buried, 120000, id3::id3v1("", "Other", "", "", 0))));
  EXPECT_EQ(tagInfo.artist, "Other");
}

TEST_F(TagReaderTest, Id3v1OnlyWithoutAnyOfTheFiveFrames) {
  const std::string trailer = id3::id3v1("Old", "", "", "1987", 17);
  ASSERT_TRUE(read(v2File(3, {id3::frame(3, "TCON", "\0Jazz\0"s)}, 120000, trailer)));
  EXPECT_EQ(fields(), (Fields{"", "", "", "", "Jazz"}));
  ASSERT_TRUE(read(v2File(3, {id3::frame(3, "TXXX", "\0a\0b"s)}, 120000, trailer)));
  EXPECT_EQ(fields(), (Fields{"", "", "Old", "1987", "Rock"}));
}

TEST_F(TagReaderTest, ShortFiles) {
  const std::string block = id3::id3v1("Intro", "", "", "", 0), plus = id3::tagPlus("Cont", "", "");
  const std::string shortTitle = id3::frame(3, "TIT2", "\0Short"s);
  const std::string cutFrame = id3::tag(3, {id3::frame(3, "TIT2", "\0"s + std::string(300, 'y'))});
  const std::tuple<const char*, std::string, bool, std::string> cases[] = {
      {"ID3v2, 99999 bytes", v2File(3, {shortTitle}, 99999), true, "Short"},
      {"ID3v2, 200 bytes", v2File(3, {shortTitle}, 200), true, "Short"},
      {"ID3v2 frame cut by the end of the file", cutFrame.substr(0, 200), true, std::string(179, 'y')},
      {"ID3v1, 99999 bytes", id3::mp3File("", 99999, block), true, "Intro"},
      {"ID3v1 and TAG+, 355 bytes", plus + block, true, "IntroCont"},
      {"TAG+ one byte short, 354 bytes", plus.substr(1) + block, true, "Intro"},
      {"ID3v1 alone, 128 bytes", block, true, "Intro"},
      {"127 bytes", block.substr(0, 127), false, ""},
      {"ID3v2 header only", id3::tag(3, {}), false, ""},
      {"just the marker", "ID3", false, ""},
      {"empty", "", false, ""},
  };
  for (const auto& [what, bytes, tag, title] : cases) {
    EXPECT_EQ(read(bytes), tag) << what;
    EXPECT_EQ(tagInfo.title, title) << what;
  }
  // The window still holds a frame of the longer file read before.
  ASSERT_TRUE(read(fileWithFrameAt(50000, id3::frame(3, "TIT2", "\0Stale"s), 120000)));
  EXPECT_FALSE(read(id3::tag(3, {}, 200)));
  EXPECT_EQ(tagInfo.title, "");
}

TEST_F(TagReaderTest, Id3v1AndTagPlusFields) {
  const auto v1 = [](std::string_view title, std::string_view artist, std::string_view year = "",
                     int genre = 0) { return id3::id3v1(title, artist, "", year, genre); };
  const std::string t29(29, 'T'), pad(26, ' '), pad50(50, ' ');
  std::string wrongMagic = id3::tagPlus("Cont", "", "");
  wrongMagic[3] = '-';
  // The ID3v1 block, the TAG+ block, the page's texts (before the clean-up).
  const std::tuple<const char*, std::string, std::string, Fields> cases[] = {
      {"plain", id3::id3v1("Song", "Artist", "Album", "1999", 17), "",
       {"Artist", "Album", "Song", "1999", "Rock"}},
      {"full field ending in a space, continued", v1(t29 + " ", ""), id3::tagPlus("Cont", "", ""),
       {"", "", t29 + "Cont", "", "Blues"}},
      {"space-padded fields", v1("Song" + pad, "Band" + pad), id3::tagPlus("", "", "Long album" + pad50),
       {"Band", "Long album", "Song", "", "Blues"}},
      {"spaces before a NUL stay", v1("Song  ", ""), id3::tagPlus("Cont", "", ""),
       {"", "", "Song  Cont", "", "Blues"}},
      {"empty field, continuation alone", v1("", ""), id3::tagPlus("Intro", "", ""),
       {"", "", "Intro", "", "Blues"}},
      {"leading space empties the field", v1("", " Abba"), id3::tagPlus("", "Cont", ""),
       {"", "", "", "", "Blues"}},
      {"TAG+ with another marker", v1("Song", ""), wrongMagic, {"", "", "Song", "", "Blues"}},
      {"year with a leading space", v1("", "", " 999"), "", {"", "", "", "", "Blues"}},
      {"year ends at a NUL", v1("", "", "19"), "", {"", "", "", "19", "Blues"}},
      {"latin1", id3::id3v1("", "Mot\xF6rhead", "\xC6on", "", 0), "",
       {motorhead, "\xC3\x86on", "", "", "Blues"}},
      {"dots kept", v1("", "R.E.M."), "", {"R.E.M.", "", "", "", "Blues"}},
      {"genre code", v1("", "", "", 125), "", {"", "", "", "", "Dance Hall"}},
  };
  for (const auto& [what, block, extended, shown] : cases) {
    EXPECT_TRUE(read(id3::mp3File("", 120000, extended + block))) << what;
    EXPECT_EQ(page(), shown) << what;
    EXPECT_EQ(tagInfo.year + "|" + tagInfo.genre, shown[3] + "|" + shown[4]) << what;
  }
}

TEST_F(TagReaderTest, PageShowsTextsAsReadFieldsAreCleaned) {
  ASSERT_TRUE(read(id3::mp3File("", 120000, id3::id3v1("What's Up?", "AC/DC", "...And Justice", "", 62))));
  EXPECT_EQ(page(), (Fields{"AC/DC", "...And Justice", "What's Up?", "", "Pop/Funk"}));
  EXPECT_EQ(fields(), (Fields{"AC-DC", "And Justice", "What-s Up-", "", "Pop/Funk"}));
  ASSERT_TRUE(read(v2File(3, {id3::frame(3, "TIT2", "\0T:1"s), id3::frame(3, "TPE1", "\0A/B"s)})));
  EXPECT_EQ(page(), (Fields{"A/B", "", "T:1", "", ""}));
  EXPECT_EQ(fields(), (Fields{"A-B", "", "T-1", "", ""}));
}

TEST_F(TagReaderTest, FailuresLeaveEverythingEmpty) {
  const std::string v2 = v2File(3, {id3::frame(3, "TPE1", "\0Abba"s)});
  const std::string v1 = id3::mp3File("", 120000, id3::id3v1("Song", "Band", "", "2001", 17));
  ASSERT_TRUE(read(v2));
  EXPECT_FALSE(readTag(path("missing.mp3")));
  EXPECT_EQ(page(), Fields{});
  EXPECT_EQ(fields(), Fields{});

  const std::tuple<const char*, Op, int, std::string> cases[] = {
      {"open", Op::open, 1, v2}, {"head read", Op::read, 1, v2},
      {"ID3v1 read", Op::read, 3, v1}, {"ID3v1 seek", Op::seek, 2, v1}};
  for (const auto& [what, op, nth, bytes] : cases) {
    ASSERT_TRUE(read(bytes)) << what;
    platform::faults::reset();
    platform::faults::failNth(op, nth);
    EXPECT_FALSE(readTag(path("song.mp3"))) << what;
    platform::faults::reset();
    EXPECT_EQ(page(), Fields{}) << what;
    EXPECT_EQ(fields(), Fields{}) << what;
  }

  // A failed TAG+ read only loses the continuation.
  ASSERT_TRUE(read(v1));
  platform::faults::failNth(Op::seek, 1);
  EXPECT_TRUE(readTag(path("song.mp3")));
  EXPECT_EQ(tagInfo.title, "Song");

  workBuffer.reset();
  EXPECT_FALSE(readTag(path("song.mp3")));
  EXPECT_EQ(tagInfo.title, "");
}

}  // namespace
