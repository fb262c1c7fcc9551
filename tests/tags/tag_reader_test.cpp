#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/controls.h"
#include "common/state.h"
#include "platform/faults.h"
#include "tags/tag_reader.h"
#include "tests/support/id3_writer.h"
#include "tests/support/test_support.h"

namespace {

using namespace std::string_literals;
using id3::Encoding;
using platform::faults::Op;

class TagReaderTest : public testing_support::TempFolderTest {
 protected:
  bool read(const std::string& bytes) {
    const std::string file = path("song.mp3");
    testing_support::writeFile(file, bytes);
    return readTag(file);
  }
  std::string shown(int controlId) { return recorder.getText(controlId); }
};

std::string v2File(int version, const std::vector<std::string>& frames, std::size_t size = 120000,
                   const std::string& trailer = "") {
  return id3::mp3File(id3::tag(version, frames), size, trailer);
}

// A file that begins with an empty ID3v2 header and has frameBytes at offset
// `at`, in audio filler that holds no ASCII.
std::string fileWithFrameAt(std::size_t at, const std::string& frameBytes, std::size_t size,
                            const std::string& trailer = "") {
  std::string head = id3::tag(3, {});
  head += id3::audio(at - head.size(), 5);
  head += frameBytes;
  return id3::mp3File(head, size, trailer);
}

struct TextCase {
  const char* what;
  int version;
  std::string body;
  std::string expected;
};

TEST_F(TagReaderTest, TextEncodings) {
  const TextCase cases[] = {
      {"latin1", 3, id3::textBody(Encoding::latin1, "Mot\xC3\xB6rhead"), "Mot\xC3\xB6rhead"},
      {"latin1 terminated", 3, id3::textBody(Encoding::latin1, "Mot\xC3\xB6rhead", true), "Mot\xC3\xB6rhead"},
      {"utf16 little-endian", 3, id3::textBody(Encoding::utf16, "\xC5\x81ukasz"), "\xC5\x81ukasz"},
      {"utf16 little-endian terminated", 3, id3::textBody(Encoding::utf16, "\xE6\x97\xA5\xE6\x9C\xAC", true),
       "\xE6\x97\xA5\xE6\x9C\xAC"},
      {"utf16 big-endian mark", 3, id3::textBody(Encoding::utf16, "\xE6\x97\xA5\xE6\x9C\xAC", false, true),
       "\xE6\x97\xA5\xE6\x9C\xAC"},
      {"utf16 big-endian mark terminated", 3, id3::textBody(Encoding::utf16, "\xC5\x81ukasz", true, true),
       "\xC5\x81ukasz"},
      {"utf16 without mark", 3, "\x01H\0i\0"s, "Hi"},
      {"utf16 odd last byte", 3, "\x01\xFF\xFEH\0i"s, "H"},
      // U+012E holds the byte 0x2E; only the character U+002E is a dot.
      {"utf16 character with a dot byte", 3, id3::textBody(Encoding::utf16, "\xC4\xAE"), "\xC4\xAE"},
      {"utf16 surrogate pair", 3, id3::textBody(Encoding::utf16, "\xF0\x9F\x8E\xB5"), "\xF0\x9F\x8E\xB5"},
      {"utf16 lone surrogate", 3, "\x01\xFF\xFE\x00\xD8" "A\0"s, "\xEF\xBF\xBD" "A"},
      {"utf16be", 4, id3::textBody(Encoding::utf16be, "\xE6\x97\xA5\xE6\x9C\xAC"), "\xE6\x97\xA5\xE6\x9C\xAC"},
      {"utf16be terminated", 4, id3::textBody(Encoding::utf16be, "\xC5\x81ukasz", true), "\xC5\x81ukasz"},
      {"utf8", 4, id3::textBody(Encoding::utf8, "Mot\xC3\xB6rhead"), "Mot\xC3\xB6rhead"},
      {"utf8 terminated", 4, id3::textBody(Encoding::utf8, "\xE6\x97\xA5\xE6\x9C\xAC", true),
       "\xE6\x97\xA5\xE6\x9C\xAC"},
      {"utf8 with a stray latin1 byte", 4, "\x03Mot\xF6rhead"s, "Mot\xC3\xB6rhead"},
      {"unknown encoding byte kept", 3, "\x04" "Abc"s, "\x04" "Abc"},
      {"first value only, latin1", 3, "\0A\0B"s, "A"},
      {"first value only, utf16", 3, id3::textBody(Encoding::utf16, "A", true) + "\xFF\xFE" "B\0"s, "A"},
      {"first value only, utf8", 4, "\x03" "A\0B"s, "A"},
      {"dots dropped, latin1", 3, id3::textBody(Encoding::latin1, "R.E.M."), "REM"},
      {"dots dropped, utf16", 3, id3::textBody(Encoding::utf16, "R.E.M.", true), "REM"},
      {"only the encoding byte", 3, "\0"s, ""},
  };
  for (const TextCase& c : cases) {
    EXPECT_TRUE(read(v2File(c.version, {id3::frame(c.version, "TIT2", c.body)}))) << c.what;
    EXPECT_EQ(tagInfo.title, c.expected) << c.what;
    EXPECT_EQ(shown(control::title), c.expected) << c.what;
  }
}

TEST_F(TagReaderTest, GenreFrameKeepsItsLastCharacterAndItsText) {
  const std::pair<std::string, std::string> cases[] = {
      {"\0Rock"s, "Rock"},
      {"\0Rock\0"s, "Rock"},
      {"\0(17)\0"s, "(17)"},
      {id3::textBody(Encoding::utf16, "Rock"), "Rock"},
      {"\0Pop/Funk"s, "Pop/Funk"},
  };
  for (const auto& [body, genre] : cases) {
    EXPECT_TRUE(read(v2File(3, {id3::frame(3, "TCON", body)})));
    EXPECT_EQ(tagInfo.genre, genre);
  }
}

std::string repeated(std::string_view unit, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += unit;
  return out;
}

TEST_F(TagReaderTest, TextLongerThanAFieldIsCutAtACharacter) {
  struct Case {
    Encoding encoding;
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {Encoding::latin1, std::string(300, 'a'), std::string(255, 'a')},
      {Encoding::utf8, repeated("\xC3\xB6", 150), repeated("\xC3\xB6", 127)},
      {Encoding::utf16, repeated("\xE6\x97\xA5", 100), repeated("\xE6\x97\xA5", 85)},
      // Dots do not count against the limit: they are gone before the cut.
      {Encoding::latin1, repeated("a.", 200), std::string(200, 'a')},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(read(v2File(4, {id3::frame(4, "TALB", id3::textBody(c.encoding, c.text))})));
    EXPECT_EQ(tagInfo.album, c.expected);
  }
}

TEST_F(TagReaderTest, FrameSizes) {
  // 0x90 is unsigned: 144 bytes, and the frame after it is still found.
  ASSERT_TRUE(read(v2File(3, {id3::frameWithSize("TIT2", 0x90, "\0"s + std::string(143, 'x')),
                              id3::frame(3, "TPE1", "\0Abba"s)})));
  EXPECT_EQ(tagInfo.title, std::string(143, 'x'));
  EXPECT_EQ(tagInfo.artist, "Abba");

  // 200 bytes: syncsafe 00 00 01 48 in 2.4, plain 00 00 00 C8 in 2.3. Read
  // the wrong way, the title swallows the next frame's id or loses its end.
  for (int version : {3, 4}) {
    ASSERT_TRUE(read(v2File(version, {id3::frame(version, "TIT2", "\0"s + std::string(199, 'a')),
                                      id3::frame(version, "TPE1", "\0Abba"s)})));
    EXPECT_EQ(tagInfo.title, std::string(199, 'a')) << version;
    EXPECT_EQ(tagInfo.artist, "Abba") << version;
  }

  // The high half of the size counts: 0x00010005 is not 5.
  ASSERT_TRUE(read(v2File(3, {id3::frameWithSize("TIT2", 0x00010005, "\0Hello\0"s)})));
  EXPECT_EQ(tagInfo.title, "Hello");

  // A size of 0 gives an empty text, but the frame is there.
  ASSERT_TRUE(read(v2File(3, {id3::frameWithSize("TIT2", 0, ""), id3::frame(3, "TPE1", "\0Abba"s)})));
  EXPECT_EQ(tagInfo.title, "");
  EXPECT_EQ(tagInfo.artist, "Abba");

  // A huge size is bounded by what the window holds.
  ASSERT_TRUE(read(v2File(3, {id3::frameWithSize("TIT2", 0xFFFFFFFF, "\0Huge\0"s)})));
  EXPECT_EQ(tagInfo.title, "Huge");
}

TEST_F(TagReaderTest, FramesAtTheEndOfTheWindow) {
  const std::string trailer = id3::id3v1("Fallback", "", "", "", 0);
  const std::string longFrame = id3::frame(3, "TIT2", "\0"s + std::string(99, 'x'));
  struct Case {
    const char* what;
    std::size_t at;
    bool tag;
    std::string title;
  };
  const Case cases[] = {
      {"content cut by the window", 100000 - 30, true, std::string(19, 'x')},
      {"header cut by the window", 100000 - 6, true, ""},
      {"identifier ends at the last byte", 100000 - 4, true, ""},
      {"identifier crosses the window", 100000 - 3, true, "Fallback"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(read(fileWithFrameAt(c.at, longFrame, 150000, trailer)), c.tag) << c.what;
    EXPECT_EQ(tagInfo.title, c.title) << c.what;
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
  // An ID3v2 tag with only TCON: the ID3v1 block is not read.
  ASSERT_TRUE(read(v2File(3, {id3::frame(3, "TCON", "\0Jazz\0"s)}, 120000, trailer)));
  EXPECT_EQ(tagInfo.genre, "Jazz");
  EXPECT_EQ(tagInfo.title, "");
  EXPECT_EQ(tagInfo.year, "");
  // An ID3v2 tag without the five: the ID3v1 block is.
  ASSERT_TRUE(read(v2File(3, {id3::frame(3, "TXXX", "\0a\0b"s)}, 120000, trailer)));
  EXPECT_EQ(tagInfo.title, "Old");
  EXPECT_EQ(tagInfo.year, "1987");
  EXPECT_EQ(tagInfo.genre, "Rock");
}

TEST_F(TagReaderTest, ShortFiles) {
  const std::string block = id3::id3v1("Intro", "", "", "", 0);
  const std::string plus = id3::tagPlus("Cont", "", "");
  const std::string cutFrame = id3::tag(3, {id3::frame(3, "TIT2", "\0"s + std::string(300, 'y'))});
  struct Case {
    const char* what;
    std::string bytes;
    bool tag;
    std::string title;
  };
  const Case cases[] = {
      {"ID3v2, 99999 bytes", v2File(3, {id3::frame(3, "TIT2", "\0Short"s)}, 99999), true, "Short"},
      {"ID3v2, 200 bytes", v2File(3, {id3::frame(3, "TIT2", "\0Short"s)}, 200), true, "Short"},
      {"ID3v2 frame cut by the end of a 200-byte file", cutFrame.substr(0, 200), true, std::string(179, 'y')},
      {"ID3v1, 99999 bytes", id3::mp3File("", 99999, block), true, "Intro"},
      {"ID3v1 and TAG+, 355 bytes", plus + block, true, "IntroCont"},
      {"TAG+ one byte short, 354 bytes", plus.substr(1) + block, true, "Intro"},
      {"ID3v1 alone, 128 bytes", block, true, "Intro"},
      {"127 bytes", block.substr(0, 127), false, ""},
      {"ID3v2 header only", id3::tag(3, {}), false, ""},
      {"just the marker", "ID3", false, ""},
      {"empty", "", false, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(read(c.bytes), c.tag) << c.what;
    EXPECT_EQ(tagInfo.title, c.title) << c.what;
  }
}

TEST_F(TagReaderTest, ShortFileIsNotSearchedBeyondItsEnd) {
  // The window still holds a frame of the previous, longer file.
  ASSERT_TRUE(read(fileWithFrameAt(50000, id3::frame(3, "TIT2", "\0Stale"s), 120000)));
  EXPECT_FALSE(read(id3::tag(3, {}, 200)));
  EXPECT_EQ(tagInfo.title, "");
}

struct V1Case {
  const char* what;
  std::string block;
  std::string extended;
  // As shown on the page, before the clean-up.
  std::string title, artist, album, year, genre;
};

TEST_F(TagReaderTest, Id3v1AndTagPlusFields) {
  std::string wrongMagic = id3::tagPlus("Cont", "", "");
  wrongMagic[3] = '-';
  const V1Case cases[] = {
      {"plain", id3::id3v1("Song", "Artist", "Album", "1999", 17), "", "Song", "Artist", "Album", "1999", "Rock"},
      {"full field ending in a space, continued", id3::id3v1(std::string(29, 'T') + " ", "", "", "", 0),
       id3::tagPlus("Cont", "", ""), std::string(29, 'T') + "Cont", "", "", "", "Blues"},
      {"space-padded fields", id3::id3v1("Song" + std::string(26, ' '), "Band" + std::string(26, ' '), "", "", 0),
       id3::tagPlus("", "", "Long album" + std::string(50, ' ')), "Song", "Band", "Long album", "", "Blues"},
      {"spaces before a NUL stay", id3::id3v1("Song  ", "", "", "", 0), id3::tagPlus("Cont", "", ""),
       "Song  Cont", "", "", "", "Blues"},
      {"empty field, continuation alone", id3::id3v1("", "", "", "", 0), id3::tagPlus("Intro", "", ""), "Intro",
       "", "", "", "Blues"},
      {"leading space empties the field", id3::id3v1("", " Abba", "", "", 0), id3::tagPlus("", "Cont", ""), "",
       "", "", "", "Blues"},
      {"TAG+ with another marker", id3::id3v1("Song", "", "", "", 0), wrongMagic, "Song", "", "", "", "Blues"},
      {"year with a leading space", id3::id3v1("", "", "", " 999", 0), "", "", "", "", "", "Blues"},
      {"year ends at a NUL", id3::id3v1("", "", "", "19"s, 0), "", "", "", "", "19", "Blues"},
      {"latin1", id3::id3v1("", "Mot\xF6rhead", "\xC6on", "", 0), "", "", "Mot\xC3\xB6rhead", "\xC3\x86on", "",
       "Blues"},
      {"dots kept", id3::id3v1("", "R.E.M.", "", "", 255), "", "", "R.E.M.", "", "", "unbekannt"},
      {"genre 125", id3::id3v1("", "", "", "", 125), "", "", "", "", "", "Dance Hall"},
      {"genre 126", id3::id3v1("", "", "", "", 126), "", "", "", "", "", ""},
      {"genre 127", id3::id3v1("", "", "", "", 127), "", "", "", "", "", ""},
      {"genre 128", id3::id3v1("", "", "", "", 128), "", "", "", "", "", "unbekannt"},
  };
  for (const V1Case& c : cases) {
    EXPECT_TRUE(read(id3::mp3File("", 120000, c.extended + c.block))) << c.what;
    EXPECT_EQ(shown(control::title), c.title) << c.what;
    EXPECT_EQ(shown(control::artist), c.artist) << c.what;
    EXPECT_EQ(shown(control::album), c.album) << c.what;
    EXPECT_EQ(shown(control::year), c.year) << c.what;
    EXPECT_EQ(shown(control::genre), c.genre) << c.what;
    EXPECT_EQ(tagInfo.year, c.year) << c.what;
    EXPECT_EQ(tagInfo.genre, c.genre) << c.what;
  }
}

TEST_F(TagReaderTest, PageShowsTextsAsReadFieldsAreCleaned) {
  ASSERT_TRUE(read(id3::mp3File("", 120000, id3::id3v1("What's Up?", "AC/DC", "...And Justice", "", 62))));
  EXPECT_EQ(shown(control::artist), "AC/DC");
  EXPECT_EQ(tagInfo.artist, "AC-DC");
  EXPECT_EQ(shown(control::title), "What's Up?");
  EXPECT_EQ(tagInfo.title, "What-s Up-");
  EXPECT_EQ(tagInfo.album, "And Justice");
  EXPECT_EQ(tagInfo.genre, "Pop/Funk");
}

// Keeps every text set, in order.
class SequenceShell : public testing_support::RecordingShell {
 public:
  void setText(int controlId, std::string_view text) override {
    calls.emplace_back(controlId, std::string(text));
    RecordingShell::setText(controlId, text);
  }
  std::vector<std::pair<int, std::string>> calls;
};

TEST_F(TagReaderTest, ControlsAreBlankedFirstThenFilledInFrameOrder) {
  SequenceShell sequence;
  setShell(&sequence);
  ASSERT_TRUE(read(v2File(3, {id3::frame(3, "TIT2", "\0T:1"s), id3::frame(3, "TPE1", "\0A/B"s)})));
  const std::vector<std::pair<int, std::string>> expected{
      {111, ""}, {113, ""}, {112, ""}, {114, ""}, {115, ""},
      {111, "A/B"}, {113, ""}, {112, "T:1"}, {114, ""}, {115, ""},
  };
  EXPECT_EQ(sequence.calls, expected);
  EXPECT_EQ(tagInfo.artist, "A-B");
  EXPECT_EQ(tagInfo.title, "T-1");
  setShell(&recorder);
}

TEST_F(TagReaderTest, FailuresLeaveEverythingEmpty) {
  const std::string tagged = v2File(3, {id3::frame(3, "TPE1", "\0Abba"s)});
  const std::string v1 = id3::mp3File("", 120000, id3::id3v1("Song", "Band", "", "2001", 17));
  ASSERT_TRUE(read(tagged));

  EXPECT_FALSE(readTag(path("missing.mp3")));
  EXPECT_EQ(tagInfo.artist, "");
  EXPECT_EQ(shown(control::artist), "");

  struct Case {
    const char* what;
    Op op;
    int nth;
    const std::string* bytes;
  };
  const Case cases[] = {
      {"open fails", Op::open, 1, &tagged},
      {"head read fails", Op::read, 1, &tagged},
      {"ID3v1 read fails", Op::read, 3, &v1},
      {"ID3v1 seek fails", Op::seek, 2, &v1},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(read(*c.bytes)) << c.what;
    platform::faults::reset();
    platform::faults::failNth(c.op, c.nth);
    EXPECT_FALSE(readTag(path("song.mp3"))) << c.what;
    platform::faults::reset();
    for (int id : {control::artist, control::album, control::title, control::year, control::genre}) {
      EXPECT_EQ(shown(id), "") << c.what << " " << id;
    }
    EXPECT_EQ(tagInfo.artist, "") << c.what;
    EXPECT_EQ(tagInfo.title, "") << c.what;
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
