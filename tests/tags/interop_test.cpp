#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/state.h"
#include "tags/tag_reader.h"
#include "tools/id3_writer.h"
#include "tests/support/test_support.h"

// Tags written by another implementation (mutagen's mid3v2) must read back
// right. Skipped where mid3v2 is not installed.
namespace {

using Fields = std::array<std::string, 5>;  // artist, album, title, year, genre

std::string quote(std::string_view text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

bool run(const std::string& command) { return std::system((command + " >/dev/null").c_str()) == 0; }

class InteropTest : public testing_support::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    if (!run("command -v mid3v2")) GTEST_SKIP() << "mid3v2 (python3-mutagen) is not installed";
    file = path("song.mp3");
    testing_support::writeFile(file, id3::mp3File("", 120000, id3::id3v1("", "", "", "", 255)));
  }
  Fields read() {
    EXPECT_TRUE(readTag(file));
    return {tagInfo.artist, tagInfo.album, tagInfo.title, tagInfo.year, tagInfo.genre};
  }
  std::string file;
};

TEST_F(InteropTest, Id3v24Utf8) {
  // A second artist is a second value, which is not appended.
  ASSERT_TRUE(run("mid3v2 --TPE1 " + quote("Mot\xC3\xB6rhead") + " --TPE1 Lemmy -A " +
                  quote("\xC5\x81\xC3\xB3" "d\xC5\xBA") + " -t " + quote("\xE6\x97\xA5\xE6\x9C\xAC") +
                  " -g Rock -y 1999 " + quote(file)));
  // Version 2.4 keeps the year in TDRC, which is not one of the five frames.
  EXPECT_EQ(read(), (Fields{"Mot\xC3\xB6rhead", "\xC5\x81\xC3\xB3" "d\xC5\xBA",
                            "\xE6\x97\xA5\xE6\x9C\xAC", "", "Rock"}));
}

TEST_F(InteropTest, Id3v23Utf16) {
  // mid3v2 writes only version 2.4: mutagen itself writes the 2.3 tag.
  const std::string script = path("write23.py");
  testing_support::writeFile(script,
                             "import sys\n"
                             "from mutagen.id3 import ID3, TPE1, TALB, TIT2, TYER, TCON\n"
                             "t = ID3()\n"
                             "t.add(TPE1(encoding=1, text='\xC5\x81ukasz'))\n"
                             "t.add(TALB(encoding=1, text='Mot\xC3\xB6rhead Live'))\n"
                             "t.add(TIT2(encoding=1, text='\xE6\x97\xA5\xE6\x9C\xAC'))\n"
                             "t.add(TYER(encoding=1, text='1999'))\n"
                             "t.add(TCON(encoding=1, text='Rock'))\n"
                             "t.save(sys.argv[1], v2_version=3)\n");
  // The Python of mid3v2's first line is the one that has mutagen.
  const std::string python = "$(sed -n '1s/^#!//p' \"$(command -v mid3v2)\")";
  if (!run(python + " -c 'import mutagen.id3'")) GTEST_SKIP() << "mid3v2's Python lacks mutagen";
  ASSERT_TRUE(run(python + " " + quote(script) + " " + quote(file)));
  EXPECT_EQ(read(), (Fields{"\xC5\x81ukasz", "Mot\xC3\xB6rhead Live", "\xE6\x97\xA5\xE6\x9C\xAC",
                            "1999", "Rock"}));
}

TEST_F(InteropTest, Id3v1) {
  // mid3v2 updates the ID3v1 block that is there; its ID3v2 tag is then
  // deleted so that only the ID3v1 block is left to read.
  ASSERT_TRUE(run("mid3v2 -a " + quote("Mot\xC3\xB6rhead") + " -A Overkill -t " +
                  quote("Ace of Spades") + " -g Rock -y 1980 " + quote(file)));
  ASSERT_TRUE(run("mid3v2 -d " + quote(file)));
  ASSERT_NE(testing_support::readFile(file).substr(0, 3), "ID3");
  EXPECT_EQ(read(), (Fields{"Mot\xC3\xB6rhead", "Overkill", "Ace of Spades", "1980", "Rock"}));
}

}  // namespace
