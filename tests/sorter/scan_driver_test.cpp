#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <string>
#include <vector>

#include "common/controls.h"
#include "common/limits.h"
#include "common/state.h"
#include "sorter/placement.h"
#include "sorter/scan_driver.h"
#include "tests/sorter/engine_fixture.h"

namespace {

namespace fs = std::filesystem;
using engine_test::EngineTest;

class ScanDriverTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    settings.unbekannt = 1;
    // Every pump records the file shown at that moment.
    recorder.onPump = [this](int) { shown.push_back(recorder.texts[control::currentFile]); };
  }
  void scan(const std::string& relative) {
    scanRunning = 1;
    if (!settings.nursaeubern) createBaseFolders();
    scanFolder(path(relative));
    scanRunning = 0;
  }
  std::vector<std::string> shown;
};

TEST_F(ScanDriverTest, WalksDepthFirstFilesBeforeFolders) {
  std::uint32_t seed = 1;
  for (const char* file : {"in/b.mp3", "in/A.MP3", "in/sub1/c.mp3", "in/sub1/deep/d.Mp3",
                           "in/sub2/e.mp3", "in/Live.MP3/f.mp3"}) {
    put(file, engine_test::untaggedMp3(seed++));
  }
  put("in/notes.txt", "not music");
  settings.rekursiv = 1;
  scan("in");
  EXPECT_EQ(shown, (std::vector<std::string>{"A", "b", "f", "c", "d", "e"}));
  // The folder entered last stays on show.
  EXPECT_EQ(recorder.texts[control::currentFolder], path("in/sub2"));
  EXPECT_TRUE(exists("out/Ohne ID3-Tag/d.Mp3"));
  EXPECT_FALSE(exists("out/Ohne ID3-Tag/notes.txt"));
}

TEST_F(ScanDriverTest, WithoutRekursivOnlyTheFolderItself) {
  put("in/a.mp3", engine_test::untaggedMp3(1));
  put("in/Live.MP3/f.mp3", engine_test::untaggedMp3(2));
  scan("in");
  EXPECT_EQ(shown, std::vector<std::string>{"a"});
}

TEST_F(ScanDriverTest, NothingHappensWhenNoScanRuns) {
  put("in/a.mp3", engine_test::untaggedMp3(1));
  scanFolder(path("in"));
  EXPECT_EQ(recorder.pumpCount, 0);
  EXPECT_EQ(recorder.texts.count(control::currentFolder), 0u);
}

TEST_F(ScanDriverTest, NeverEntersATargetInsideTheSource) {
  settings.zielPfad = path("in/sorted");
  settings.rekursiv = 1;
  settings.loeschen = 1;
  settings.crc = 1;
  settings.kuenstler = 1;
  std::string song = engine_test::taggedMp3({"Solaris", "", "Regen", ""}, 3);
  put("in/a.mp3", song);
  put("in/more/b.mp3", engine_test::untaggedMp3(4));
  makeFolders("in/sorted");
  scan("in");
  scan("in");  // the second scan finds nothing left to sort
  EXPECT_EQ(shown, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(read("in/sorted/Kuenstler/Solaris/Regen.MP3"), song);
  EXPECT_TRUE(exists("in/sorted/Ohne ID3-Tag/b.mp3"));
}

// A target typed during the scan (a page switch reads it) protects its tree
// from then on, and every other folder is still walked.
TEST_F(ScanDriverTest, TargetSetDuringTheScanStillLetsTheWalkGoDeeper) {
  settings.zielPfad = path("nowhere");
  settings.rekursiv = 1;
  put("in/sub/b.mp3", engine_test::untaggedMp3(1));
  put("in/sub/deep/c.mp3", engine_test::untaggedMp3(2));
  put("in/sub/out/Ohne ID3-Tag/d.mp3", engine_test::untaggedMp3(3));
  recorder.onPump = [this](int) {
    shown.push_back(recorder.texts[control::currentFile]);
    settings.zielPfad = path("in/sub/out");
  };
  scan("in");
  EXPECT_EQ(shown, (std::vector<std::string>{"b", "c"}));
}

TEST_F(ScanDriverTest, SourceEqualToTargetSortsItsFilesButNotItsTree) {
  settings.zielPfad = path("in");
  settings.rekursiv = 1;
  settings.loeschen = 1;
  settings.crc = 1;
  put("in/a.mp3", engine_test::untaggedMp3(5));
  put("in/own/b.mp3", engine_test::untaggedMp3(6));
  scan("in");
  scan("in");
  EXPECT_EQ(shown, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(tree("in/Ohne ID3-Tag"), (std::vector<std::string>{"a.mp3", "b.mp3"}));
  // A source inside the target's tree is not walked at all.
  shown.clear();
  scan("in/Ohne ID3-Tag");
  EXPECT_TRUE(shown.empty());
}

TEST_F(ScanDriverTest, NameOnlyModeCleansASortedTreeToo) {
  settings.zielPfad = path("in");
  settings.rekursiv = settings.nursaeubern = 1;
  put("in/Kuenstler/Solaris/Regen (live).MP3", "x");
  scan("in/Kuenstler");
  EXPECT_EQ(tree("in/Kuenstler/Solaris"), std::vector<std::string>{"Regen live.MP3"});
}

TEST_F(ScanDriverTest, FolderLinksAreNotFollowed) {
  put("in/a.mp3", engine_test::untaggedMp3(1));
  put("in/sub/b.mp3", engine_test::untaggedMp3(2));
  std::error_code ec;
  fs::create_directory_symlink(testing_support::fsPath(path("in")),
                               testing_support::fsPath(path("in/sub/loop")), ec);
  if (ec) GTEST_SKIP() << "no symbolic links here";
  // A link to a file named like a song is still a song.
  fs::create_symlink(testing_support::fsPath(path("in/a.mp3")),
                     testing_support::fsPath(path("in/sub/link.mp3")), ec);
  settings.rekursiv = 1;
  scan("in");
  EXPECT_EQ(shown, (std::vector<std::string>{"a", "b", "link"}));
}

#ifndef _WIN32
TEST_F(ScanDriverTest, ANamedPipeCalledLikeASongDoesNotHoldTheScan) {
  ASSERT_EQ(::mkfifo(path("in/a.mp3").c_str(), 0600), 0);
  put("in/b.mp3", engine_test::untaggedMp3(2));
  settings.crc = settings.cover = settings.kollision = settings.loeschen = 1;
  scan("in");
  EXPECT_EQ(shown, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(tree("out/Ohne ID3-Tag"), std::vector<std::string>{"b.mp3"});
  EXPECT_TRUE(exists("in/a.mp3"));
}
#endif

TEST_F(ScanDriverTest, EntryBeyondThePathLimitIsSkipped) {
  if (pathSeparator == '\\') GTEST_SKIP() << "the long-path set-up needs POSIX path lengths";
  // Folders deep enough that a file name of 20 to 250 bytes reaches the limit.
  std::string folder = path("in");
  std::size_t room = maxPathLength - folder.size() - 1;
  while (room > 250) {
    std::size_t length = std::min<std::size_t>(200, room - 121);
    folder += pathSeparator + std::string(length, 'd');
    room = maxPathLength - folder.size() - 1;
  }
  fs::create_directories(testing_support::fsPath(folder));
  std::string atLimit = "a!" + std::string(room - 6, 'x') + ".mp3";
  std::string beyond = "b" + std::string(room - 4, 'y') + ".mp3";
  ASSERT_EQ(folder.size() + 1 + atLimit.size(), maxPathLength);
  // The longer name cannot be reached by its full path: make it from inside.
  const fs::path previous = fs::current_path();
  fs::current_path(testing_support::fsPath(folder));
  testing_support::writeFile(atLimit, "a");
  testing_support::writeFile(beyond, "b");
  fs::current_path(previous);
  // Nor can the clean-up of the temporary folder reach it.
  struct RemoveBeyond {
    std::string folder, name;
    fs::path previous;
    ~RemoveBeyond() {
      std::error_code ec;
      fs::current_path(testing_support::fsPath(folder), ec);
      fs::remove(testing_support::fsPath(name), ec);
      fs::current_path(previous, ec);
    }
  } removeBeyond{folder, beyond, previous};

  settings.nursaeubern = 1;
  settings.rekursiv = 1;
  scanRunning = 1;
  scanFolder(path("in"));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], atLimit.substr(0, atLimit.size() - 4));
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(testing_support::fsPath(folder))) {
    names.push_back(testing_support::utf8Path(entry.path().filename()));
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a" + std::string(37, 'x') + ".mp3", beyond}));
}

}  // namespace
