#pragma once
// The engine tests' set-up: a source folder "in", a target folder "out" and a
// cover folder "covers" in the test's temporary folder, the duplicate table
// empty, and songs made on the spot.
#include <cstdint>
#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "common/controls.h"
#include "common/state.h"
#include "dupes/duplicate_table.h"
#include "tools/id3_writer.h"
#include "tests/support/test_support.h"

namespace engine_test {

using Names = std::vector<std::string>;

struct Song {
  std::string artist, album, title, genre;
};

// The seed makes the audio, and so the checksum, of each file its own. A song
// without any field still has a tag (a year).
inline std::string taggedMp3(const Song& song, std::uint32_t seed) {
  std::vector<std::string> frames;
  const std::pair<const char*, std::string> fields[] = {
      {"TPE1", song.artist}, {"TALB", song.album}, {"TIT2", song.title},
      {"TCON", song.genre},  {"TYER", "1999"},
  };
  for (const auto& [id, text] : fields) {
    if (!text.empty())
      frames.push_back(id3::frame(3, id, id3::textBody(id3::Encoding::latin1, text)));
  }
  return id3::mp3File(id3::tag(3, frames), 3000, "", seed);
}

inline std::string untaggedMp3(std::uint32_t seed) {
  return id3::mp3File("", 2500, "", seed);
}

class EngineTest : public testing_support::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_TRUE(allocateChecksumBuffer());
    ASSERT_TRUE(allocateDuplicateStorage());
    // The folders, in the settings and in the sort page's edits.
    for (auto [setting, edit, folder] :
         {std::tuple{&Settings::quellPfad, control::sourceEdit, "in"},
          {&Settings::zielPfad, control::targetEdit, "out"},
          {&Settings::coverPfad, control::coverEdit, "covers"}}) {
      makeFolders(folder);
      settings.*setting = recorder.texts[edit] = path(folder);
    }
    logPath = path("config/liedkorb.LOG");
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
  Names tree(const std::string& relative) { return testing_support::listTree(path(relative)); }
  // The files, without the folders, below a folder.
  Names files(const std::string& relative) {
    Names out;
    for (const std::string& entry : tree(relative)) {
      if (entry.back() != '/') out.push_back(entry);
    }
    return out;
  }
  void emptyOut() {
    std::filesystem::remove_all(testing_support::fsPath(path("out")));
    makeFolders("out");
  }
};

}  // namespace engine_test
