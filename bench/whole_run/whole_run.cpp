// Times a whole scan by liedkorb-cli against the baseline copy program on the
// same generated library, interleaved and repeated; prints the median ratio
// and the peak memory of liedkorb-cli. Then times a scan that deletes its
// sources, with the syncs that make the deletes safe against the same scan
// without them. Where beets is installed, times its import in copy mode on
// the same library too.
//   bench-whole-run [FILES] [ROUNDS]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Timing {
  double seconds = 0;
  long maxRssKiB = 0;
  int status = -1;
};

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

Timing runProcess(const std::vector<std::string>& args, bool quiet = true) {
  std::fflush(stdout);  // the child would otherwise print our buffered lines again
  auto start = std::chrono::steady_clock::now();
  pid_t child = fork();
  if (child == 0) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    if (quiet && !std::freopen("/dev/null", "w", stdout)) _exit(126);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  wait4(child, &status, 0, &usage);
  Timing t;
  t.seconds = secondsSince(start);
  t.maxRssKiB = usage.ru_maxrss;
  t.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return t;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

void fresh(const fs::path& p) {
  fs::remove_all(p);
  fs::create_directories(p);
}

// A fresh copy of the flat library for a scan that deletes its sources:
// hard links, so that a round costs no gigabyte of writes and the deletes
// take nothing from the library.
void linkCopy(const fs::path& library, const fs::path& to) {
  fresh(to);
  for (const fs::directory_entry& entry : fs::directory_iterator(library)) {
    fs::create_hard_link(entry.path(), to / entry.path().filename());
  }
}

// The median ratio of a deleting scan with durable deletes to the same scan
// without syncs, interleaved, each side first in every other round. The
// scan without syncs ends with its copies still to be written; how long
// that takes afterwards is shown beside it, since durable deletes cannot be
// cheaper than writing the copies.
double compareDurability(const fs::path& work, const fs::path& library, int rounds) {
  const fs::path sources = work / "sources", target = work / "target", config = work / "config";
  std::vector<double> ratios, withWriteBack, synced, unsynced;
  for (int round = -1; round < rounds; ++round) {
    double seconds[2] = {0, 0};  // sync, nosync
    double writeBack = 0;
    for (int turn = 0; turn < 2; ++turn) {
      const int mode = (turn + round + 1) % 2;
      linkCopy(library, sources);
      fresh(target);
      fs::remove_all(config);
      // Whatever the run before left to write back is written now, untimed.
      ::sync();
      Timing t =
          runProcess({SCAN_PATH, mode == 0 ? "sync" : "nosync", "--config", config.string(),
                      "--source", sources.string(), "--target", target.string(), "--kuenstler",
                      "--makealbum", "--genre", "--unbekannt", "--crc", "--loeschen", "--quiet"});
      if (t.status != 0 || !fs::is_empty(sources)) {
        std::fprintf(stderr, "the deleting scan failed (%d) or left sources\n", t.status);
        return 0;
      }
      seconds[mode] = t.seconds;
      if (mode == 1) {
        const auto start = std::chrono::steady_clock::now();
        ::sync();
        writeBack = secondsSince(start);
      }
    }
    if (round < 0) continue;
    synced.push_back(seconds[0]);
    unsynced.push_back(seconds[1]);
    ratios.push_back(seconds[0] / seconds[1]);
    withWriteBack.push_back(seconds[0] / (seconds[1] + writeBack));
    std::printf(
        "round %d: deleting scan with syncs %.3f s, without %.3f s (then %.3f s to write back), "
        "ratio %.3f\n",
        round + 1, seconds[0], seconds[1], writeBack, seconds[0] / seconds[1]);
  }
  fs::remove_all(sources);
  std::printf("median deleting scan with syncs %.3f s, without %.3f s\n", median(synced),
              median(unsynced));
  std::printf("median ratio with syncs / without and its write-back afterwards: %.3f\n",
              median(withWriteBack));
  return median(ratios);
}

}  // namespace

int main(int argc, char** argv) {
  int files = argc > 1 ? std::atoi(argv[1]) : 2000;
  int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  fs::path work = fs::temp_directory_path() / ("liedkorb-bench-" + std::to_string(getpid()));
  fs::path library = work / "library", target = work / "target", config = work / "config";
  fs::create_directories(work);
  std::printf("generating %d files ...\n", files);
  if (runProcess({GENERATOR_PATH, library.string(), std::to_string(files)}).status != 0) return 1;

  std::vector<std::string> cli = {CLI_PATH,         "--config", config.string(), "--source",
                                  library.string(), "--target", target.string(), "--kuenstler",
                                  "--makealbum",    "--genre",  "--crc",         "--quiet"};
  std::vector<std::string> baseline = {BASELINE_PATH, library.string(), target.string()};
  std::vector<double> ratios, ours, theirs;
  long peak = 0;
  // One warm-up of each, so that both find the library in the page cache.
  for (int round = -1; round < rounds; ++round) {
    // Each run starts with an empty target and no dirty pages left by the
    // run before, so that neither pays for the other's write-back.
    fresh(target);
    fs::remove_all(config);
    ::sync();
    Timing a = runProcess(cli);
    fresh(target);
    ::sync();
    Timing b = runProcess(baseline);
    if (a.status != 0 || b.status != 0) {
      std::fprintf(stderr, "a run failed (%d, %d)\n", a.status, b.status);
      return 1;
    }
    if (round < 0) continue;
    ours.push_back(a.seconds);
    theirs.push_back(b.seconds);
    ratios.push_back(a.seconds / b.seconds);
    peak = std::max(peak, a.maxRssKiB);
    std::printf("round %d: liedkorb-cli %.3f s, baseline %.3f s, ratio %.3f\n", round + 1,
                a.seconds, b.seconds, a.seconds / b.seconds);
  }
  double ratio = median(ratios);
  std::printf("median liedkorb-cli %.3f s, baseline %.3f s\n", median(ours), median(theirs));
  std::printf("median ratio liedkorb-cli / baseline: %.3f (target <= 1.2) %s\n", ratio,
              ratio <= 1.2 ? "ok" : "MISSED");
  std::printf("peak resident memory of liedkorb-cli: %.1f MiB (target < 16 MiB) %s\n",
              peak / 1024.0, peak < 16 * 1024 ? "ok" : "MISSED");

  const double durableRatio = compareDurability(work, library, rounds);
  std::printf("median ratio deleting scan with syncs / without: %.3f (target <= 1.3) %s\n",
              durableRatio, durableRatio > 0 && durableRatio <= 1.3 ? "ok" : "MISSED");

  if (std::system("command -v beet >/dev/null 2>&1") == 0) {
    fs::path beetsDir = work / "beets";
    fs::create_directories(beetsDir);
    std::ofstream(beetsDir / "config.yaml")
        << "directory: " << (work / "beets-target").string() << "\n"
        << "library: " << (beetsDir / "library.db").string() << "\n"
        << "import:\n  copy: yes\n  write: no\n  autotag: no\n  quiet: yes\n"
        << "paths:\n  default: $artist/$album/$title\n"
        << "plugins: []\n";
    std::vector<double> beetRatios;
    for (int round = 0; round < std::min(rounds, 3); ++round) {
      fs::remove_all(work / "beets-target");
      fs::remove(beetsDir / "library.db");
      ::sync();
      Timing c =
          runProcess({"env", "BEETSDIR=" + beetsDir.string(), "beet", "-c",
                      (beetsDir / "config.yaml").string(), "import", "-A", "-q", library.string()});
      fresh(target);
      ::sync();
      Timing b = runProcess(baseline);
      if (c.status != 0) {
        std::fprintf(stderr, "beet import failed (%d)\n", c.status);
        break;
      }
      beetRatios.push_back(c.seconds / b.seconds);
      std::printf("beets round %d: %.3f s, baseline %.3f s\n", round + 1, c.seconds, b.seconds);
    }
    if (!beetRatios.empty()) {
      std::printf("median ratio beet import / baseline: %.3f (liedkorb-cli: %.3f)\n",
                  median(beetRatios), ratio);
    }
  } else {
    std::printf("beets is not installed: no comparison with beet import\n");
  }
  fs::remove_all(work);
  return 0;
}
