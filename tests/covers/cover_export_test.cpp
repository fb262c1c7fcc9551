#include "covers/cover_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "common/state.h"
#include "platform/faults.h"
#include "tools/id3_writer.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::readFile;
using testing_support::writeFile;

class ExportCoverTest : public testing_support::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    for (const char* folder : {"out", "covers"}) makeFolders(folder);
    // What the cover folder lookup copies when it runs.
    writeFile(path("covers/Song.gif"), "fallback");
    settings.coverPfad = path("covers");
    scanRunning = 1;
  }

  // Writes the copy into an empty out/ and runs the export; returns what
  // out/ then holds.
  std::set<std::string> exportFile(const std::string& bytes) {
    std::filesystem::remove_all(testing_support::fsPath(path("out")));
    makeFolders("out");
    writeFile(output("Song.MP3"), bytes);
    exportCover(path("in/Song.mp3"), output("Song.MP3"));
    return outFiles();
  }
  std::set<std::string> outFiles() const {
    const std::vector<std::string> tree = testing_support::listTree(path("out"));
    return {tree.begin(), tree.end()};
  }
  std::string output(std::string_view name) const { return path("out/" + std::string(name)); }
};

using Tree = std::set<std::string>;
const Tree lookupRan{"Song.MP3", "Song.gif"};

std::string withApic(const std::string& body, int version = 3, std::size_t size = 1200000) {
  return id3::mp3File(id3::tag(version, {id3::frame(version, "APIC", body)}), size);
}
std::string withJpeg(const std::string& picture, int version = 3, std::size_t size = 1200000) {
  return withApic(id3::apicBody("image/jpeg", picture, "Front"), version, size);
}

TEST_F(ExportCoverTest, PicturesAreWrittenExactly) {
  using id3::Encoding;
  const std::string small = id3::jpegPicture(20000), large = id3::jpegPicture(300000);
  const std::string huge = id3::jpegPicture(1500000), png = id3::pngPicture(40000);
  // Some writers put a plain size into a version 4 tag. A size byte with its
  // top bit set cannot be syncsafe: read as syncsafe it would cut the picture.
  const std::string plainBody = id3::apicBody("image/jpeg", large, "Front");
  ASSERT_NE(plainBody.size() & 0x8080, 0u);
  const auto withPng = [&](std::string_view mime, std::string_view description, Encoding encoding) {
    return withApic(id3::apicBody(mime, png, description, encoding), 3, 300000);
  };
  const std::tuple<const char*, std::string, std::string> cases[] = {
      {"jpeg 20 KB", small, withJpeg(small)},
      // 300 KB needs the upper size bytes; 1.5 MB reaches past the searched
      // head and past one piece of the copy; 500 KB is a file shorter than the head.
      {"jpeg 300 KB", large, withJpeg(large)},
      {"jpeg 300 KB, version 4", large, withJpeg(large, 4)},
      {"jpeg 1.5 MB", huge, withJpeg(huge, 3, 2000000)},
      {"jpeg in a 500 KB file", small, withJpeg(small, 3, 500000)},
      {"plain size in version 4", large,
       id3::mp3File(id3::tag(4, {id3::frameWithSize("APIC", plainBody.size(), plainBody)}), 1200000)},
      {"png, latin1 description", png, withPng("image/png", "Front", Encoding::latin1)},
      {"png, utf16 description", png, withPng("image/png", "Vorderseite", Encoding::utf16)},
      {"png, empty utf16 description", png, withPng("image/png", "", Encoding::utf16)},
      {"png, upper-case type", png, withPng("IMAGE/PNG", "", Encoding::latin1)},
  };
  for (const auto& [what, picture, file] : cases) {
    SCOPED_TRACE(what);
    const std::string name = picture == png ? "Song.PNG" : "Song.JPG";
    ASSERT_EQ(exportFile(file), (Tree{name, "Song.MP3"}));
    EXPECT_TRUE(readFile(output(name)) == picture);
  }
}

// Frames that give no picture: the cover folder is asked instead and nothing
// of the frame is written.
TEST_F(ExportCoverTest, UnusableFramesFallBackToTheLookup) {
  const std::string png = id3::pngPicture(5000), jpeg = id3::jpegPicture(5000);
  const std::string title = id3::frame(3, "TIT2", id3::textBody(id3::Encoding::latin1, "Titel"));
  const std::pair<const char*, std::string> cases[] = {
      {"png in a second frame",
       id3::mp3File(id3::tag(3, {title, id3::frame(3, "APIC", id3::apicBody("image/png", png))}),
                    100000)},
      {"jpeg without JFIF", withJpeg(id3::jpegPicture(5000, 7, false))},
      {"no NUL up to offset 248",
       withApic(id3::apicBody("image/jpeg", jpeg, std::string(300, 'x')), 3, 100000)},
      {"frame ends past the file",
       id3::tag(3, {id3::frameWithSize("APIC", 0x7FFFFFF0, id3::apicBody("image/jpeg", jpeg))})},
      {"JFIF too near the frame start",
       id3::tag(3, {id3::frameWithSize("APIC", 8, std::string("\0\0JFIF\0\0", 8))}, 300)},
      {"png frame ends before its picture",
       id3::tag(3, {id3::frameWithSize("APIC", 12, id3::apicBody("image/png", png))})},
      {"png without signature", withApic(id3::apicBody("image/png", png.substr(8)), 3, 100000)},
      {"frame header cut off", std::string("ID3\x03\0\0\0\0\0\x10" "APIC\0\0", 16)},
      {"no tag", id3::audio(50000)},
      {"empty file", ""},
  };
  for (const auto& [what, file] : cases) EXPECT_EQ(exportFile(file), lookupRan) << what;
}

TEST_F(ExportCoverTest, ASecondExportReplacesTheFirstPicture) {
  writeFile(output("Song.JPG"), id3::jpegPicture(300000, 1));
  const std::string second = id3::jpegPicture(20000, 2);
  writeFile(output("Song.MP3"), withJpeg(second));
  exportCover(path("in/Song.mp3"), output("Song.MP3"));
  EXPECT_TRUE(readFile(output("Song.JPG")) == second);
}

TEST_F(ExportCoverTest, APictureThatCannotBeWrittenLeavesNothingBehind) {
  using platform::faults::Op;
  for (Op op : {Op::create, Op::write, Op::replace}) {
    platform::faults::reset();
    platform::faults::failNth(op, 1);
    EXPECT_EQ(exportFile(withJpeg(id3::jpegPicture(300000))), lookupRan) << static_cast<int>(op);
  }
}

TEST_F(ExportCoverTest, PictureIsNamedAfterTheTargetNotTheSource) {
  writeFile(output("Titel.MP3"), withJpeg(id3::jpegPicture(1000)));
  exportCover(path("in/Song.mp3"), output("Titel.MP3"));
  EXPECT_EQ(outFiles(), (Tree{"Titel.JPG", "Titel.MP3"}));
}

TEST_F(ExportCoverTest, MissingTargetOrBufferDoesNothing) {
  exportCover(path("in/Song.mp3"), output("Song.MP3"));
  EXPECT_EQ(outFiles(), Tree{});
  writeFile(output("Song.MP3"), withJpeg(id3::jpegPicture(1000)));
  workBuffer.reset();
  exportCover(path("in/Song.mp3"), output("Song.MP3"));
  EXPECT_EQ(outFiles(), Tree{"Song.MP3"});
}

}  // namespace
