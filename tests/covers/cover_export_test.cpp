#include "covers/cover_export.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/state.h"
#include "platform/faults.h"
#include "tests/support/id3_writer.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::fileExists;
using testing_support::readFile;
using testing_support::writeFile;

class ExportCoverTest : public testing_support::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    makeFolders("in");
    makeFolders("out");
    makeFolders("covers");
    settings.coverPfad = path("covers");
    scanRunning = 1;
  }

  // Writes the copy, puts a fallback picture into the cover folder and runs
  // the export. Afterwards the target folder holds what the export left.
  void exportFile(const std::string& bytes) {
    writeFile(target(), bytes);
    writeFile(path("covers/Song.gif"), "fallback");
    exportCover(path("in/Song.mp3"), target());
  }
  std::string target() const { return path("out/Song.MP3"); }
  std::string output(std::string_view name) const { return path("out/" + std::string(name)); }
  bool lookupRan() const { return fileExists(output("Song.gif")); }
};

std::string withJpeg(const std::string& picture, int version = 3, std::size_t size = 1200000) {
  return id3::mp3File(id3::tag(version, {id3::frame(version, "APIC",
                                                    id3::apicBody("image/jpeg", picture, "Front"))}),
                      size);
}

TEST_F(ExportCoverTest, JpegPicturesAreWrittenExactly) {
  struct Case {
    std::size_t pictureSize;
    int version;
    std::size_t fileSize;
  };
  // 300 KB needs the upper size bytes; 1.5 MB reaches past the searched head
  // and past one piece of the copy; 500 KB is a file shorter than the head.
  for (Case c : std::vector<Case>{{20000, 3, 1200000},
                                  {300000, 3, 1200000},
                                  {300000, 4, 1200000},
                                  {1500000, 3, 2000000},
                                  {20000, 3, 500000}}) {
    SCOPED_TRACE(c.pictureSize);
    std::string picture = id3::jpegPicture(c.pictureSize);
    exportFile(withJpeg(picture, c.version, c.fileSize));
    ASSERT_TRUE(fileExists(output("Song.JPG")));
    EXPECT_TRUE(readFile(output("Song.JPG")) == picture);
    EXPECT_FALSE(lookupRan());
  }
}

// Some writers put a plain size into a version 4 tag. A size byte with its
// top bit set cannot be syncsafe: read as syncsafe it would cut the picture.
TEST_F(ExportCoverTest, PlainSizeInAVersion4TagKeepsThePictureWhole) {
  std::string picture = id3::jpegPicture(300000);
  std::string body = id3::apicBody("image/jpeg", picture, "Front");
  ASSERT_NE(body.size() & 0x8080, 0u);  // a size byte with its top bit set
  exportFile(id3::mp3File(
      id3::tag(4, {id3::frameWithSize("APIC", static_cast<std::uint32_t>(body.size()), body)}),
      1200000));
  ASSERT_TRUE(fileExists(output("Song.JPG")));
  EXPECT_TRUE(readFile(output("Song.JPG")) == picture);
}

TEST_F(ExportCoverTest, PngPicturesAreWrittenExactly) {
  struct Case {
    const char* mime;
    const char* description;
    id3::Encoding encoding;
  };
  std::string picture = id3::pngPicture(40000);
  for (Case c : std::vector<Case>{{"image/png", "Front", id3::Encoding::latin1},
                                  {"image/png", "Vorderseite", id3::Encoding::utf16},
                                  {"image/png", "", id3::Encoding::utf16},
                                  {"IMAGE/PNG", "", id3::Encoding::latin1}}) {
    SCOPED_TRACE(std::string(c.mime) + " " + c.description);
    exportFile(id3::mp3File(
        id3::tag(3, {id3::frame(3, "APIC", id3::apicBody(c.mime, picture, c.description, c.encoding))}),
        300000));
    ASSERT_TRUE(fileExists(output("Song.PNG")));
    EXPECT_TRUE(readFile(output("Song.PNG")) == picture);
    EXPECT_FALSE(lookupRan());
  }
}

// Frames that give no picture: the cover folder is asked instead and nothing
// of the frame is written.
TEST_F(ExportCoverTest, UnusableFramesFallBackToTheLookup) {
  std::string png = id3::pngPicture(5000);
  std::string jpeg = id3::jpegPicture(5000);
  struct Case {
    const char* name;
    std::string bytes;
  };
  std::vector<Case> cases{
      {"png in a second frame",
       id3::mp3File(id3::tag(3, {id3::frame(3, "TIT2", id3::textBody(id3::Encoding::latin1, "Titel")),
                                 id3::frame(3, "APIC", id3::apicBody("image/png", png))}),
                    100000)},
      {"jpeg without JFIF", withJpeg(id3::jpegPicture(5000, 7, false))},
      {"no NUL up to offset 248",
       id3::mp3File(id3::tag(3, {id3::frame(3, "APIC", id3::apicBody("image/jpeg", jpeg,
                                                                     std::string(300, 'x')))}),
                    100000)},
      {"frame ends past the file",
       id3::tag(3, {id3::frameWithSize("APIC", 0x7FFFFFF0, id3::apicBody("image/jpeg", jpeg))})},
      {"JFIF too near the frame start",
       id3::tag(3, {id3::frameWithSize("APIC", 8, std::string("\0\0JFIF\0\0", 8))}, 300)},
      {"png frame ends before its picture",
       id3::tag(3, {id3::frameWithSize("APIC", 12, id3::apicBody("image/png", png))})},
      {"png without signature",
       id3::mp3File(id3::tag(3, {id3::frame(3, "APIC", id3::apicBody("image/png", png.substr(8)))}),
                    100000)},
      {"frame header cut off", std::string("ID3\x03\0\0\0\0\0\x10" "APIC\0\0", 16)},
      {"no tag", id3::audio(50000)},
      {"empty file", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    exportFile(c.bytes);
    EXPECT_FALSE(fileExists(output("Song.JPG")));
    EXPECT_FALSE(fileExists(output("Song.PNG")));
    EXPECT_TRUE(lookupRan());
    std::filesystem::remove(testing_support::fsPath(output("Song.gif")));
  }
}

TEST_F(ExportCoverTest, ASecondExportReplacesTheFirstPicture) {
  exportFile(withJpeg(id3::jpegPicture(300000, 1)));
  std::string second = id3::jpegPicture(20000, 2);
  exportFile(withJpeg(second));
  EXPECT_TRUE(readFile(output("Song.JPG")) == second);
}

TEST_F(ExportCoverTest, APictureThatCannotBeWrittenLeavesNothingBehind) {
  struct Case {
    const char* name;
    platform::faults::Op op;
  };
  for (Case c : {Case{"create", platform::faults::Op::create}, Case{"write", platform::faults::Op::write}}) {
    SCOPED_TRACE(c.name);
    platform::faults::reset();
    platform::faults::failPath(c.op, output("Song.JPG"));
    exportFile(withJpeg(id3::jpegPicture(300000)));
    EXPECT_FALSE(fileExists(output("Song.JPG")));
    EXPECT_TRUE(lookupRan());
    std::filesystem::remove(testing_support::fsPath(output("Song.gif")));
  }
}

TEST_F(ExportCoverTest, PictureIsNamedAfterTheTargetNotTheSource) {
  writeFile(path("out/Titel.MP3"), withJpeg(id3::jpegPicture(1000)));
  exportCover(path("in/Song.mp3"), path("out/Titel.MP3"));
  EXPECT_TRUE(fileExists(output("Titel.JPG")));
  EXPECT_FALSE(fileExists(output("Song.JPG")));
}

TEST_F(ExportCoverTest, MissingTargetOrBufferDoesNothing) {
  writeFile(path("covers/Song.gif"), "fallback");
  exportCover(path("in/Song.mp3"), target());
  EXPECT_FALSE(lookupRan());

  writeFile(target(), withJpeg(id3::jpegPicture(1000)));
  workBuffer.reset();
  exportCover(path("in/Song.mp3"), target());
  EXPECT_EQ(testing_support::listTree(path("out")), std::vector<std::string>{"Song.MP3"});
}

}  // namespace
