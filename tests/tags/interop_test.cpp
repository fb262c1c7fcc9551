#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "common/controls.h"
#include "common/state.h"
#include "tags/tag_reader.h"
#include "tests/support/id3_writer.h"
#include "tests/support/test_support.h"

// Tags written by another implementation (mutagen's mid3v2) must read back
// right. Skipped where mid3v2 is not installed.
namespace {

std::string shellQuote(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

// The first line that command prints, or "" when it fails.
std::string firstLineOf(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return {};
  std::string line;
  int c;
  while ((c = std::fgetc(pipe)) != EOF && c != '\n') line += static_cast<char>(c);
  if (pclose(pipe) != 0) return {};
  return line;
}

bool run(const std::string& command) { return std::system((command + " >/dev/null").c_str()) == 0; }

class InteropTest : public testing_support::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    mid3v2_ = firstLineOf("command -v mid3v2 2>/dev/null");
    if (mid3v2_.empty()) GTEST_SKIP() << "mid3v2 (python3-mutagen) is not installed";
  }

  std::string audioFile(const std::string& trailer = "") {
    const std::string file = path("song.mp3");
    testing_support::writeFile(file, id3::mp3File("", 120000, trailer));
    return file;
  }

  bool mid3v2(const std::string& arguments, const std::string& file) {
    return run(shellQuote(mid3v2_) + " " + arguments + " " + shellQuote(file));
  }

  // The Python that runs mid3v2, which can import mutagen for what mid3v2
  // has no option for.
  std::string python() {
    std::ifstream script(testing_support::fsPath(mid3v2_));
    std::string line;
    if (!std::getline(script, line) || line.rfind("#!", 0) != 0) return {};
    std::string interpreter = line.substr(2);
    if (!run(interpreter + " -c 'import mutagen.id3'")) return {};
    return interpreter;
  }

  std::string mid3v2_;
};

TEST_F(InteropTest, Id3v24Utf8) {
  const std::string file = audioFile();
  ASSERT_TRUE(mid3v2("-a " + shellQuote("Mot\xC3\xB6rhead") + " -A " + shellQuote("\xC5\x81\xC3\xB3" "d\xC5\xBA") +
                         " -t " + shellQuote("\xE6\x97\xA5\xE6\x9C\xAC") + " -g Rock -y 1999",
                     file));
  ASSERT_TRUE(readTag(file));
  EXPECT_EQ(tagInfo.artist, "Mot\xC3\xB6rhead");
  EXPECT_EQ(tagInfo.album, "\xC5\x81\xC3\xB3" "d\xC5\xBA");
  EXPECT_EQ(tagInfo.title, "\xE6\x97\xA5\xE6\x9C\xAC");
  EXPECT_EQ(tagInfo.genre, "Rock");
  // Version 2.4 keeps the year in TDRC, which is not one of the five frames.
  EXPECT_EQ(tagInfo.year, "");
}

TEST_F(InteropTest, Id3v24SecondValueIsNotAppended) {
  const std::string file = audioFile();
  ASSERT_TRUE(mid3v2("--TPE1 Simon --TPE1 Garfunkel", file));
  ASSERT_TRUE(readTag(file));
  EXPECT_EQ(tagInfo.artist, "Simon");
}

TEST_F(InteropTest, Id3v23Utf16) {
  const std::string interpreter = python();
  if (interpreter.empty()) GTEST_SKIP() << "mutagen cannot be imported by mid3v2's Python";
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
  const std::string file = audioFile();
  ASSERT_TRUE(run(interpreter + " " + shellQuote(script) + " " + shellQuote(file)));
  ASSERT_TRUE(readTag(file));
  EXPECT_EQ(tagInfo.artist, "\xC5\x81ukasz");
  EXPECT_EQ(tagInfo.album, "Mot\xC3\xB6rhead Live");
  EXPECT_EQ(tagInfo.title, "\xE6\x97\xA5\xE6\x9C\xAC");
  EXPECT_EQ(tagInfo.year, "1999");
  EXPECT_EQ(tagInfo.genre, "Rock");
}

TEST_F(InteropTest, Id3v1) {
  // mid3v2 updates an ID3v1 block that is there; its ID3v2 tag is then
  // deleted so that only the ID3v1 block is left to read.
  const std::string file = audioFile(id3::id3v1("", "", "", "", 255));
  ASSERT_TRUE(mid3v2("-a " + shellQuote("Mot\xC3\xB6rhead") + " -A Overkill -t " +
                         shellQuote("Ace of Spades") + " -g Rock -y 1980",
                     file));
  ASSERT_TRUE(mid3v2("-d", file));
  ASSERT_NE(testing_support::readFile(file).substr(0, 3), "ID3");
  ASSERT_TRUE(readTag(file));
  EXPECT_EQ(tagInfo.artist, "Mot\xC3\xB6rhead");
  EXPECT_EQ(tagInfo.album, "Overkill");
  EXPECT_EQ(tagInfo.title, "Ace of Spades");
  EXPECT_EQ(tagInfo.year, "1980");
  EXPECT_EQ(tagInfo.genre, "Rock");
}

}  // namespace
