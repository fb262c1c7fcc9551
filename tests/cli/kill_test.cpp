// Kills liedkorb-cli at random moments of a sorting run that deletes its
// sources, then lets a second run finish the job: whatever the moment, no
// song may be lost and no file under a final name may be incomplete.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "tests/support/test_support.h"
#include "tools/id3_writer.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using testing_support::readFile;

// Kills wanted; each lands in its own slice of the run, so that the start,
// the copies, the batched deletes and the end all get hit.
constexpr int kills = 32;

// Relative path -> bytes: five bands in two albums, songs without artist or
// without any tag, byte-identical copies under other names (every tenth),
// titles that collide within an album, over three folder levels.
std::map<std::string, std::string> makeLibrary() {
  std::map<std::string, std::string> songs;
  std::vector<std::string> made;
  std::mt19937 random(7);
  auto text = [](const char* id, const std::string& value) {
    return id3::frame(3, id, id3::textBody(id3::Encoding::latin1, value));
  };
  for (int i = 0; i < 40; ++i) {
    const int model = i % 10 == 6 ? i - 6 : i;  // artist, album and title of song i-6
    const std::string artist = "Band " + std::to_string(model % 5),
                      album = "Album " + std::to_string(model % 2),
                      title = "Lied " + std::to_string(model), genre = i % 3 ? "Rock" : "Jazz";
    std::vector<std::string> frames = {text("TPE1", artist), text("TALB", album),
                                       text("TIT2", title)};
    if (i % 10 != 6) frames.push_back(text("TCON", genre));
    if (i % 10 == 7) frames.erase(frames.begin(), frames.begin() + 2);
    const std::size_t size = 100000 + random() % 100000;
    const auto seed = static_cast<std::uint32_t>(i + 1);
    made.push_back(i % 10 == 9   ? made[static_cast<std::size_t>(i - 9)]
                   : i % 10 == 8 ? id3::audio(size, seed)
                                 : id3::mp3File(id3::tag(3, frames), size, "", seed));
    static const char* const folders[] = {"", "CD 1/", "Sammlung/Alt/"};
    songs[folders[i % 3] + ("song" + std::to_string(i)) + ".mp3"] = made.back();
  }
  return songs;
}

class KillTest : public testing_support::TempFolderTest {
 protected:
  // Starts liedkorb-cli on round folder r; its output goes to r/log.
  static pid_t start(const std::string& r) {
    std::vector<std::string> args = {
        LIEDKORB_CLI_PATH, "--config",   r + "/cfg",    "--source",    r + "/in", "--target",
        r + "/out",        "--rekursiv", "--kuenstler", "--makealbum", "--genre", "--unbekannt",
        "--crc",           "--crc-save", "--kollision", "--loeschen",  "--quiet"};
    const std::string log = r + "/log";
    pid_t child = fork();
    if (child == 0) {
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644),
          in = ::open("/dev/null", O_RDONLY);
      if (out < 0 || in < 0 || dup2(out, 1) < 0 || dup2(out, 2) < 0 || dup2(in, 0) < 0) _exit(126);
      execv(argv[0], argv.data());
      _exit(127);
    }
    return child;
  }

  // A fresh round: the library hard-linked into r/in (deleting a source
  // leaves the kept song whole, and no round writes the library again).
  std::string prepareRound(int round) {
    const std::string r = path("r" + std::to_string(round));
    for (const auto& [relative, bytes] : library) {
      fs::create_directories(fs::path(r + "/in/" + relative).parent_path());
      fs::create_hard_link(path("library/" + relative), r + "/in/" + relative);
    }
    fs::create_directories(r + "/out");
    return r;
  }

  // Every song is whole at its own place in the source or stored in the
  // target; the target holds nothing else under a final name. Once a run
  // has ended, no temporary file is left and every source is gone.
  void check(const std::string& r, bool ended) {
    auto isTemporary = [](const fs::path& p) {
      const std::string name = p.filename().string();
      return name.starts_with(".liedkorb-") && name.ends_with(".tmp");
    };
    std::unordered_set<std::string> stored;
    for (auto it = fs::recursive_directory_iterator(r + "/out");
         it != fs::recursive_directory_iterator(); ++it) {
      EXPECT_FALSE(it->is_symlink()) << it->path();
      if (it->is_directory() || it->is_symlink()) continue;
      if (isTemporary(it->path())) {
        EXPECT_FALSE(ended) << "temporary file left behind: " << it->path();
        continue;
      }
      std::string bytes = readFile(it->path().string());
      EXPECT_TRUE(contents.count(bytes))
          << "partial or foreign: " << it->path() << ", " << bytes.size() << " bytes";
      stored.insert(std::move(bytes));
    }
    std::size_t sourcesLeft = 0;
    for (auto it = fs::recursive_directory_iterator(r + "/in");
         it != fs::recursive_directory_iterator(); ++it) {
      if (it->is_directory()) continue;
      const std::string relative = fs::relative(it->path(), r + "/in").string();
      EXPECT_TRUE(library.count(relative) && readFile(it->path().string()) == library.at(relative))
          << it->path();
      ++sourcesLeft;
    }
    for (const auto& [relative, bytes] : library) {
      EXPECT_TRUE(stored.count(bytes) || fs::exists(r + "/in/" + relative)) << "lost: " << relative;
    }
    if (!ended) return;
    EXPECT_EQ(sourcesLeft, 0u) << "sources not deleted";
    // The duplicate table is saved under a temporary name too.
    for (const fs::directory_entry& entry : fs::directory_iterator(r + "/cfg")) {
      EXPECT_FALSE(isTemporary(entry.path())) << entry.path();
    }
  }

  // Runs round r to its end.
  void finish(const std::string& r) {
    int status = 0;
    waitpid(start(r), &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << readFile(r + "/log");
    check(r, true);
  }

  std::map<std::string, std::string> library = makeLibrary();
  std::unordered_set<std::string> contents;
};

TEST_F(KillTest, NoSongIsLostWhereverTheRunIsKilled) {
  for (const auto& [relative, bytes] : library) {
    makeFolders("library/" + fs::path(relative).parent_path().string());
    testing_support::writeFile(path("library/" + relative), bytes);
    contents.insert(bytes);
  }
  const char* seedText = std::getenv("LIEDKORB_KILL_SEED");
  const unsigned seed =
      seedText ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10)) : 20240607u;
  std::mt19937 random(seed);

  // Undisturbed runs tell how long a run takes (the middle of three).
  std::vector<double> durations;
  for (int round = 0; round < 3; ++round) {
    const std::string r = prepareRound(round);
    const Clock::time_point begun = Clock::now();
    finish(r);
    durations.push_back(std::chrono::duration<double>(Clock::now() - begun).count());
    fs::remove_all(r);
  }
  std::sort(durations.begin(), durations.end());
  double runSeconds = durations[1];

  int killed = 0;
  for (int slice = 0; slice < kills && !HasFailure(); ++slice) {
    // A run that ended before its moment came: runs have become quicker;
    // the slice is tried again.
    for (int attempt = 0; attempt < 4; ++attempt) {
      const double at =
          runSeconds * (slice + std::uniform_real_distribution<double>()(random)) / kills;
      SCOPED_TRACE("seed " + std::to_string(seed) + ", kill after " + std::to_string(at) +
                   " s of " + std::to_string(runSeconds));
      const std::string r = prepareRound(slice + 3);
      const Clock::time_point started = Clock::now();
      const pid_t child = start(r);
      std::this_thread::sleep_until(started + std::chrono::duration<double>(at));
      kill(child, SIGKILL);
      int status = 0;
      waitpid(child, &status, 0);
      const bool wasKilled = WIFSIGNALED(status);
      if (wasKilled) {
        ++killed;
        check(r, false);
        finish(r);
      } else {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << readFile(r + "/log");
        runSeconds *= 0.9;
      }
      fs::remove_all(r);
      if (wasKilled) break;
    }
  }
  EXPECT_GE(killed, kills - 2) << "runs ended before they could be killed";
}

}  // namespace

#endif
