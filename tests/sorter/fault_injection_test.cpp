#include <gtest/gtest.h>

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
#include "tests/sorter/engine_fixture.h"

namespace {

namespace fs = std::filesystem;
using engine_test::EngineTest;
using engine_test::Song;
using platform::faults::Op;

// A library of 30 small files: full tags in three artists' albums, a title
// taken twice, tags without artist, empty tags, untagged files and four
// byte-for-byte duplicates, some in subfolders.
std::map<std::string, std::string> makeLibrary() {
  std::map<std::string, std::string> files;
  std::uint32_t seed = 100;
  const char* artists[] = {"Solaris", "Nebel", "Wind"};
  const char* genres[] = {"Pop", "Pop/Funk", "Jazz"};
  for (int i = 0; i < 10; ++i) {
    Song song{artists[i % 3], i % 2 ? "Nord" : "Sued", "Lied " + std::to_string(i), genres[i % 3]};
    files["in/" + std::string(i < 5 ? "" : "cd2/") + "full" + std::to_string(i) + ".mp3"] =
        engine_test::taggedMp3(song, seed++);
  }
  files["in/twice1.mp3"] = engine_test::taggedMp3({"Solaris", "Nord", "Gleich", "Pop"}, seed++);
  files["in/cd2/twice2.mp3"] = engine_test::taggedMp3({"Solaris", "Nord", "Gleich", "Pop"}, seed++);
  for (int i = 0; i < 5; ++i) {
    files["in/noartist" + std::to_string(i) + ".mp3"] =
        engine_test::taggedMp3({"", "", "Ohne " + std::to_string(i), "Jazz"}, seed++);
  }
  for (int i = 0; i < 3; ++i) {
    files["in/deep/er/empty" + std::to_string(i) + ".mp3"] = engine_test::taggedMp3({}, seed++);
  }
  for (int i = 0; i < 6; ++i) {
    files["in/" + std::string(i < 3 ? "" : "loose/") + "bare" + std::to_string(i) + ".mp3"] =
        engine_test::untaggedMp3(seed++);
  }
  files["in/dup/full0.mp3"] = files["in/full0.mp3"];
  files["in/dup/bare1.mp3"] = files["in/bare1.mp3"];
  files["in/dup/copy.mp3"] = files["in/cd2/full7.mp3"];
  files["in/deep/copy.mp3"] = files["in/deep/er/empty1.mp3"];
  return files;
}

class FaultInjectionTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    recorder.texts[control::targetEdit] = path("out");
    recorder.texts[control::sourceEdit] = path("in");
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

  // Sorts a fresh copy of the library; with a fault armed its nth call fails.
  void run(Op op, int n) {
    std::error_code ec;
    fs::remove_all(testing_support::fsPath(path("in")), ec);
    fs::remove_all(testing_support::fsPath(path("out")), ec);
    makeFolders("out");
    for (const auto& [relative, bytes] : library) put(relative, bytes);
    clearDuplicateTable();
    recorder.messages.clear();
    platform::faults::reset();
    if (n > 0) platform::faults::failNth(op, n);
    startStop();
  }

  // Every original is still whole at its source or has a whole copy in the
  // target tree (or, renamed in place, in the source tree); no file anywhere
  // is a part of one.
  void checkNothingLost(const std::string& what) {
    std::set<std::string> found;
    std::error_code ec;
    for (const char* top : {"in", "out"}) {
      for (auto it = fs::recursive_directory_iterator(testing_support::fsPath(path(top)), ec);
           !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory()) continue;
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

// Each sweep fails, in turn, every call of one operation that an unfailed
// run makes, and checks after every run that nothing was lost.
TEST_F(FaultInjectionTest, UnfailedRunStoresAndDeletesEverySource) {
  run(Op::copy, 0);
  checkNothingLost("unfailed");
  for (const std::string& entry : tree("in")) EXPECT_EQ(entry.back(), '/') << entry;
}

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
TEST_F(FaultInjectionTest, MoveFails) {
  // A copying scan moves nothing; renaming in place is where moves happen.
  sweep(Op::move, "move");
  settings.umbenennen = 1;
  sweep(Op::move, "rename move");
}

}  // namespace
