#pragma once
// Shared set-up of the engine tests: a source folder "in", a target folder
// "out" and a cover folder "covers" in the test's temporary folder, the
// duplicate table ready and empty, and helpers to build a small library.
#include <cstdint>
#include <string>
#include <vector>

#include "common/state.h"
#include "dupes/duplicate_table.h"
#include "tests/support/id3_writer.h"
#include "tests/support/test_support.h"

namespace engine_test {

struct Song {
  std::string artist;
  std::string album;
  std::string title;
  std::string genre;
};

// An ID3v2.3 file of a few KB; the seed makes its audio (and so its
// checksum) its own. A song without any field still has a tag (a year).
inline std::string taggedMp3(const Song& song, std::uint32_t seed, std::size_t size = 3000) {
  std::vector<std::string> frames;
  auto add = [&](const char* id, const std::string& text) {
    if (!text.empty())
      frames.push_back(id3::frame(3, id, id3::textBody(id3::Encoding::latin1, text)));
  };
  add("TPE1", song.artist);
  add("TALB", song.album);
  add("TIT2", song.title);
  add("TCON", song.genre);
  frames.push_back(id3::frame(3, "TYER", id3::textBody(id3::Encoding::latin1, "1999")));
  return id3::mp3File(id3::tag(3, frames), size, "", seed);
}

inline std::string untaggedMp3(std::uint32_t seed, std::size_t size = 2500) {
  return id3::mp3File("", size, "", seed);
}

class EngineTest : public testing_support::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_TRUE(allocateChecksumBuffer());
    ASSERT_TRUE(allocateDuplicateStorage());
    clearDuplicateTable();
    makeFolders("in");
    makeFolders("out");
    makeFolders("covers");
    settings.quellPfad = path("in");
    settings.zielPfad = path("out");
    settings.coverPfad = path("covers");
    logPath = path("config/liedkorb.LOG");
  }
  void TearDown() override {
    clearDuplicateTable();
    TempFolderTest::TearDown();
  }

  // Writes a file below the temporary folder, making its folders.
  void put(const std::string& relative, const std::string& bytes) {
    std::size_t slash = relative.rfind('/');
    if (slash != std::string::npos) makeFolders(relative.substr(0, slash));
    testing_support::writeFile(path(relative), bytes);
  }
  std::string read(const std::string& relative) {
    return testing_support::readFile(path(relative));
  }
  bool exists(const std::string& relative) { return testing_support::fileExists(path(relative)); }
  std::vector<std::string> tree(const std::string& relative) {
    return testing_support::listTree(path(relative));
  }
};

}  // namespace engine_test
