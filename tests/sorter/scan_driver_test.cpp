#include "sorter/scan_driver.h"

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
#include "tests/sorter/engine_fixture.h"

namespace {

namespace fs = std::filesystem;
using engine_test::Names;
using engine_test::untaggedMp3;

class ScanDriverTest : public engine_test::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    settings.unbekannt = 1;
    recorder.onPump = [this](int) { shown.push_back(recorder.texts[control::currentFile]); };
  }
  // A scan as the start button runs it; returns the files shown at the pumps.
  Names scan(const std::string& relative) {
    shown.clear();
    scanRunning = 1;
    if (!settings.nursaeubern) createBaseFolders();
    scanFolder(path(relative));
    scanRunning = 0;
    return shown;
  }
  Names shown;
};

TEST_F(ScanDriverTest, WalksDepthFirstFilesBeforeFolders) {
  std::uint32_t seed = 1;
  for (const char* file : {"in/b.mp3", "in/A.MP3", "in/sub1/c.mp3", "in/sub1/deep/d.Mp3",
                           "in/sub2/e.mp3", "in/Live.MP3/f.mp3"}) {
    put(file, untaggedMp3(seed++));
  }
  put("in/notes.txt", "not music");
  EXPECT_EQ(scan("in"), (Names{"A", "b"}));
  settings.rekursiv = 1;
  EXPECT_EQ(scan("in"), (Names{"A", "b", "f", "c", "d", "e"}));
  EXPECT_EQ(recorder.texts[control::currentFolder], path("in/sub2"));  // the last one entered
  EXPECT_TRUE(exists("out/Ohne ID3-Tag/d.Mp3"));
  EXPECT_FALSE(exists("out/Ohne ID3-Tag/notes.txt"));
}

TEST_F(ScanDriverTest, NeverEntersATargetInsideTheSource) {
  settings.zielPfad = path("in/sorted");
  settings.rekursiv = settings.loeschen = settings.crc = settings.kuenstler = 1;
  const std::string song = engine_test::taggedMp3({"Solaris", "", "Regen", ""}, 3);
  put("in/a.mp3", song);
  put("in/more/b.mp3", untaggedMp3(4));
  makeFolders("in/sorted");
  EXPECT_EQ(scan("in"), (Names{"a", "b"}));
  EXPECT_EQ(scan("in"), Names{});
  EXPECT_EQ(read("in/sorted/Kuenstler/Solaris/Regen.MP3"), song);
  EXPECT_TRUE(exists("in/sorted/Ohne ID3-Tag/b.mp3"));
}

TEST_F(ScanDriverTest, SourceEqualToTargetSortsItsFilesButNotItsTree) {
  settings.zielPfad = path("in");
  settings.rekursiv = settings.loeschen = settings.crc = 1;
  put("in/a.mp3", untaggedMp3(5));
  put("in/own/b (live).mp3", untaggedMp3(6));
  EXPECT_EQ(scan("in"), (Names{"a", "b (live)"}));
  EXPECT_EQ(scan("in"), Names{});
  EXPECT_EQ(scan("in/Ohne ID3-Tag"), Names{});  // a source inside the target's tree
  // Name-only mode cleans a sorted tree too.
  settings.nursaeubern = 1;
  put("in/Ohne ID3-Tag/sub/c (live).mp3", "c");
  EXPECT_EQ(scan("in/Ohne ID3-Tag"), (Names{"a", "b (live)", "c (live)"}));
  EXPECT_EQ(files("in/Ohne ID3-Tag"), (Names{"a.mp3", "b live.mp3", "sub/c live.mp3"}));
}

// A target typed mid-scan (a page switch reads it) is skipped from then on,
// and every other folder is still walked.
TEST_F(ScanDriverTest, TargetSetDuringTheScanStillLetsTheWalkGoDeeper) {
  settings.zielPfad = path("nowhere");
  settings.rekursiv = 1;
  put("in/sub/b.mp3", untaggedMp3(1));
  put("in/sub/deep/c.mp3", untaggedMp3(2));
  put("in/sub/out/Ohne ID3-Tag/d.mp3", untaggedMp3(3));
  recorder.onPump = [this](int) {
    shown.push_back(recorder.texts[control::currentFile]);
    settings.zielPfad = path("in/sub/out");
  };
  EXPECT_EQ(scan("in"), (Names{"b", "c"}));
}

// A link to a folder is neither followed nor taken for a song.
TEST_F(ScanDriverTest, FolderLinksAreNotFollowed) {
  put("in/a.mp3", untaggedMp3(1));
  put("in/sub/b.mp3", untaggedMp3(2));
  std::error_code ec;
  fs::create_directory_symlink(testing_support::fsPath(path("in")),
                               testing_support::fsPath(path("in/sub/loop.MP3")), ec);
  if (ec) GTEST_SKIP() << "no symbolic links here";
  // A link to a file named like a song is not followed either: it may lead
  // anywhere. Each link is logged once.
  fs::create_symlink(testing_support::fsPath(path("in/a.mp3")),
                     testing_support::fsPath(path("in/sub/link.mp3")), ec);
  settings.rekursiv = 1;
  EXPECT_EQ(scan("in"), (Names{"a", "b"}));
  const std::string log = read("config/liedkorb.LOG");
  for (const char* link : {"in/sub/loop.MP3", "in/sub/link.mp3"}) {
    EXPECT_NE(log.find("Verknüpfung übersprungen Pfad:" + path(link)), std::string::npos) << link;
  }
}

#ifndef _WIN32
TEST_F(ScanDriverTest, ANamedPipeCalledLikeASongDoesNotHoldTheScan) {
  ASSERT_EQ(::mkfifo(path("in/a.mp3").c_str(), 0600), 0);
  put("in/b.mp3", untaggedMp3(2));
  settings.crc = settings.cover = settings.kollision = settings.loeschen = 1;
  EXPECT_EQ(scan("in"), (Names{"a", "b"}));
  EXPECT_EQ(tree("out/Ohne ID3-Tag"), Names{"b.mp3"});
  EXPECT_TRUE(exists("in/a.mp3"));
}
#endif

TEST_F(ScanDriverTest, EntryBeyondThePathLimitIsSkipped) {
  if (pathSeparator == '\\') GTEST_SKIP() << "the long-path set-up needs POSIX path lengths";
  // Folders deep enough that a file name of 20 to 250 bytes reaches the limit.
  std::string folder = path("in");
  while (maxPathLength - folder.size() > 251) {
    folder += pathSeparator +
              std::string(std::min<std::size_t>(200, maxPathLength - folder.size() - 122), 'd');
  }
  const std::size_t room = maxPathLength - folder.size() - 1;
  fs::create_directories(testing_support::fsPath(folder));
  const std::string atLimit = "a!" + std::string(room - 6, 'x') + ".mp3";
  const std::string beyond = "b" + std::string(room - 4, 'y') + ".mp3";
  ASSERT_EQ(folder.size() + 1 + atLimit.size(), maxPathLength);
  testing_support::writeFile(folder + pathSeparator + atLimit, "a");
  // The longer name is out of reach by its full path: made, and removed at
  // the end, from inside its folder.
  const fs::path previous = fs::current_path();
  const auto inFolder = [&](auto action) {
    fs::current_path(testing_support::fsPath(folder));
    action();
    fs::current_path(previous);
  };
  inFolder([&] { testing_support::writeFile(beyond, "b"); });
  settings.nursaeubern = settings.rekursiv = 1;
  EXPECT_EQ(scan("in"), Names{atLimit.substr(0, atLimit.size() - 4)});
  EXPECT_TRUE(
      testing_support::fileExists(folder + pathSeparator + "a" + std::string(37, 'x') + ".mp3"));
  EXPECT_FALSE(testing_support::fileExists(folder + pathSeparator + atLimit));
  inFolder([&] { fs::remove(testing_support::fsPath(beyond)); });
}

}  // namespace
