#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/sort_page.h"
#include "common/controls.h"
#include "common/state.h"
#include "dupes/duplicate_table.h"
#include "platform/faults.h"
#include "platform/platform.h"
#include "tests/sorter/engine_fixture.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using engine_test::Song;
using platform::faults::Op;

// 30 files: full tags in three artists' albums, a title taken twice, tags
// without artist, empty tags, untagged files and four byte-for-byte copies.
std::map<std::string, std::string> makeLibrary() {
  std::map<std::string, std::string> files;
  std::uint32_t seed = 100;
  auto add = [&](const std::string& name, const Song& song) {
    files["in/" + name] = engine_test::taggedMp3(song, seed++);
  };
  const char* artists[] = {"Solaris", "Nebel", "Wind"};
  const char* genres[] = {"Pop", "Pop/Funk", "Jazz"};
  for (int i = 0; i < 10; ++i) {
    const std::string n = std::to_string(i);
    add((i < 5 ? "full" : "cd2/full") + n + ".mp3",
        {artists[i % 3], i % 2 ? "Nord" : "Sued", "Lied " + n, genres[i % 3]});
    if (i < 5) add("noartist" + n + ".mp3", {"", "", "Ohne " + n, "Jazz"});
    if (i < 3) add("deep/er/empty" + n + ".mp3", {});
    if (i < 6)
      files[(i < 3 ? "in/bare" : "in/loose/bare") + n + ".mp3"] = engine_test::untaggedMp3(seed++);
  }
  add("twice1.mp3", {"Solaris", "Nord", "Gleich", "Pop"});
  add("cd2/twice2.mp3", {"Solaris", "Nord", "Gleich", "Pop"});
  files["in/dup/full0.mp3"] = files["in/full0.mp3"];
  files["in/dup/bare1.mp3"] = files["in/bare1.mp3"];
  files["in/dup/copy.mp3"] = files["in/cd2/full7.mp3"];
  files["in/deep/copy.mp3"] = files["in/deep/er/empty1.mp3"];
  return files;
}

class FaultInjectionTest : public engine_test::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    library = makeLibrary();
    ASSERT_EQ(library.size(), 30u);
    for (const auto& [relative, bytes] : library) originals.insert(bytes);
    settings.kuenstler = settings.genre = settings.unbekannt = settings.makealbum = 1;
    settings.rekursiv = settings.kollision = settings.loeschen = settings.crc = 1;
  }
  void TearDown() override {
    std::cout << "[ fault runs ] " << runs << " runs, " << filesChecked << " files checked\n";
    EngineTest::TearDown();
  }

  // A fresh copy of the library, an empty target and table.
  void prepare() {
    std::error_code ec;
    fs::remove_all(testing_support::fsPath(path("in")), ec);
    fs::remove_all(testing_support::fsPath(path("out")), ec);
    makeFolders("out");
    for (const auto& [relative, bytes] : library) put(relative, bytes);
    clearDuplicateTable();
    recorder.messages.clear();
    platform::faults::reset();
  }

  // Sorts a fresh copy of the library; with a fault armed its nth call fails.
  void run(Op op, int n) {
    prepare();
    if (n > 0) platform::faults::failNth(op, n);
    startStop();
  }

  // Every original is whole at its source or somewhere in either tree, and
  // no file anywhere is a part of one: only a temporary file may be partial,
  // and only where a run was stopped dead.
  void checkNothingLost(const std::string& what, bool temporariesAllowed = false) {
    std::set<std::string> found;
    std::error_code ec;
    for (const char* top : {"in", "out"}) {
      for (auto it = fs::recursive_directory_iterator(testing_support::fsPath(path(top)), ec);
           !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory()) continue;
        if (platform::isTemporaryName(testing_support::utf8Path(it->path().filename()))) {
          EXPECT_TRUE(temporariesAllowed) << what << ": temporary file left " << it->path();
          continue;
        }
        std::string file = testing_support::utf8Path(it->path());
        std::string bytes = testing_support::readFile(file);
        EXPECT_TRUE(originals.count(bytes)) << what << ": stray or partial file " << file;
        found.insert(std::move(bytes));
        ++filesChecked;
      }
    }
    for (const auto& [relative, bytes] : library) {
      bool atSource = exists(relative) && read(relative) == bytes;
      EXPECT_TRUE(atSource || found.count(bytes)) << what << ": lost " << relative;
    }
  }

  void sweep(Op op, const char* name) {
    run(op, 0);
    const int calls = platform::faults::callCount(op);
    checkNothingLost(std::string(name) + " unfailed");
    // A scan that did nothing would pass every check: this one stored all.
    if (!settings.umbenennen) {
      EXPECT_EQ(files("in"), engine_test::Names{});
    }
    for (int n = 1; n <= calls; ++n) {
      run(op, n);
      checkNothingLost(std::string(name) + " #" + std::to_string(n));
      ++runs;
      if (HasFailure()) return;
    }
  }

  std::map<std::string, std::string> library;
  std::set<std::string> originals;
  int runs = 0;
  int filesChecked = 0;
};

TEST_F(FaultInjectionTest, CopyFails) {
  sweep(Op::copy, "copy");
}
TEST_F(FaultInjectionTest, FolderCreationFails) {
  sweep(Op::makeFolder, "makeFolder");
}
TEST_F(FaultInjectionTest, DeleteFails) {
  sweep(Op::remove, "remove");
}
TEST_F(FaultInjectionTest, ReadFails) {
  sweep(Op::read, "read");
}
TEST_F(FaultInjectionTest, DiskFullFromAnyCopyOn) {
  run(Op::copy, 0);
  const int copies = platform::faults::callCount(Op::copy);
  for (int n = 1; n <= copies; n += 5) {
    prepare();
    platform::faults::failFrom(Op::copy, n, platform::Failure::noSpace);
    startStop();
    checkNothingLost("full from copy #" + std::to_string(n));
    EXPECT_TRUE(scanProblems.targetFull);
    ++runs;
  }
}

TEST_F(FaultInjectionTest, SyncFails) {
  sweep(Op::sync, "sync");
}

#ifndef _WIN32
// A kill or a power cut at any platform call, then a fresh run: whatever the
// first run got done, nothing is lost, nothing partial has a final name, and
// the second run leaves no temporary file.
TEST_F(FaultInjectionTest, StoppedDeadAtAnyCallThenRunAgain) {
  run(Op::copy, 0);
  const int calls = platform::faults::totalCalls();
  ASSERT_GT(calls, 100);
  for (int n = 1; n <= calls; n += calls / 97 + 1) {
    prepare();
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
      platform::faults::crashAtCall(n);
      startStop();
      std::_Exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), platform::faults::crashExitCode) << "call " << n;
    const std::string what = "stopped at call " + std::to_string(n);
    checkNothingLost(what, true);
    startStop();
    checkNothingLost(what + ", run again");
    ++runs;
    if (HasFailure()) return;
  }
}
#endif

TEST_F(FaultInjectionTest, MoveFails) {
  sweep(Op::move, "move");
  settings.umbenennen = 1;  // a copying scan moves nothing
  sweep(Op::move, "rename move");
}

}  // namespace
