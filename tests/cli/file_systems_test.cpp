// liedkorb-cli where the target can be reached from inside the source by
// another way than its own path: another letter case on FAT, a bind mount,
// links. The walk must never sort (and with crc and loeschen delete) the
// copies it made.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/test_support.h"
#include "tools/id3_writer.h"

namespace {

namespace fs = std::filesystem;
using testing_support::readFile;

std::string quoted(const std::string& arg) {
  std::string out = "'";
  for (char c : arg) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The full path of a program, also one in the administrator's folders.
std::string findTool(const char* name) {
  std::stringstream dirs(std::string(std::getenv("PATH") ? std::getenv("PATH") : "") +
                         ":/usr/sbin:/sbin");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    if (!dir.empty() && ::access((dir + "/" + name).c_str(), X_OK) == 0) return dir + "/" + name;
  }
  return {};
}

// Mounts made from now on live in a namespace of this process alone, so a
// test that crashes leaves none of them behind.
bool privateMounts() {
  static const bool done = ::geteuid() == 0 && ::unshare(CLONE_NEWNS) == 0 &&
                           ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
  return done;
}

// One mount, undone on every way out of a test.
class Mount {
 public:
  Mount() = default;
  Mount(const Mount&) = delete;
  Mount& operator=(const Mount&) = delete;
  ~Mount() {
    if (!at_.empty() && ::umount2(at_.c_str(), 0) != 0) ::umount2(at_.c_str(), MNT_DETACH);
    if (driver_ > 0 && ::kill(driver_, SIGTERM) == 0) ::waitpid(driver_, nullptr, 0);
  }

  bool bind(const std::string& from, const std::string& at) {
    if (::mount(from.c_str(), at.c_str(), nullptr, MS_BIND, nullptr) != 0) return false;
    at_ = at;
    return true;
  }

  // The FAT image through the FUSE driver, which runs in the foreground as
  // our child and dies with us.
  bool fuseFat(const std::string& driver, const std::string& image, const std::string& at) {
    struct stat before {
    }, now{};
    if (::stat(at.c_str(), &before) != 0) return false;
    driver_ = fork();
    if (driver_ == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
      const int quiet = ::open("/dev/null", O_RDWR);
      if (quiet < 0 || dup2(quiet, 0) < 0 || dup2(quiet, 1) < 0 || dup2(quiet, 2) < 0) _exit(126);
      execl(driver.c_str(), driver.c_str(), "-f", "-o", "rw+", image.c_str(), at.c_str(), nullptr);
      _exit(127);
    }
    for (int wait = 0; wait < 500 && ::waitpid(driver_, nullptr, WNOHANG) == 0; ++wait) {
      if (::stat(at.c_str(), &now) == 0 && now.st_dev != before.st_dev) {
        at_ = at;
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

 private:
  std::string at_;
  pid_t driver_ = -1;
};

class FileSystemTest : public testing_support::TempFolderTest {
 protected:
  // Writes a library into sourceOnDisk: tagged songs (stored twice, by
  // artist and by genre), songs without a tag (once) and a byte-identical
  // copy of the first (not again), in the folder and a subfolder. Sorts
  // source into target (both as typed) and checks the target folder on disk
  // (storedIn): every song stored exactly as often as it belongs there,
  // nothing else, no source left.
  void sortAndCheck(const std::string& sourceOnDisk, const std::string& source,
                    const std::string& target, const std::string& storedIn) {
    std::map<std::string, std::string> songs;  // relative path -> bytes
    std::map<std::string, int> expected;       // bytes -> copies
    for (int i = 0; i < 8; ++i) {
      const std::string tag =
          i < 6
              ? id3::tag(
                    3,
                    {id3::frame(
                         3, "TPE1",
                         id3::textBody(id3::Encoding::latin1, "Band " + std::to_string(i % 2))),
                     id3::frame(3, "TIT2",
                                id3::textBody(id3::Encoding::latin1, "Lied " + std::to_string(i))),
                     id3::frame(3, "TCON", id3::textBody(id3::Encoding::latin1, "Rock"))})
              : "";
      const std::string bytes = id3::mp3File(tag, 20000 + 3000 * static_cast<std::size_t>(i), "",
                                             static_cast<std::uint32_t>(i + 1));
      songs[(i % 2 ? "CD 1/song" : "song") + std::to_string(i) + ".mp3"] = bytes;
      expected[bytes] = i < 6 ? 2 : 1;
    }
    songs["CD 1/Kopie von song0.mp3"] = songs["song0.mp3"];
    for (const auto& [relative, bytes] : songs) {
      fs::create_directories(fs::path(sourceOnDisk + "/" + relative).parent_path());
      testing_support::writeFile(sourceOnDisk + "/" + relative, bytes);
    }
    const std::string command =
        quoted(LIEDKORB_CLI_PATH) + " --config " + quoted(path("cfg")) + " --source " +
        quoted(source) + " --target " + quoted(target) +
        " --crc --loeschen --rekursiv --kuenstler --genre --unbekannt --quiet >/dev/null 2>" +
        quoted(path("stderr")) + " </dev/null";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << readFile(path("stderr"));

    std::map<std::string, int> stored;
    for (auto it = fs::recursive_directory_iterator(storedIn);
         it != fs::recursive_directory_iterator(); ++it) {
      if (it->is_directory()) continue;
      const std::string bytes = readFile(it->path().string());
      EXPECT_TRUE(expected.count(bytes)) << "foreign or partial file " << it->path();
      ++stored[bytes];
    }
    const std::string log =
        fs::exists(path("cfg/liedkorb.LOG")) ? readFile(path("cfg/liedkorb.LOG")) : "";
    for (const auto& [relative, bytes] : songs) {
      const bool atSource = fs::exists(fs::symlink_status(sourceOnDisk + "/" + relative));
      EXPECT_FALSE(atSource) << "source not deleted: " << relative;
      EXPECT_EQ(stored[bytes], expected[bytes])
          << relative << (atSource ? "" : " (source deleted)") << "\n"
          << log;
    }
  }
};

TEST_F(FileSystemTest, FatTargetTypedInAnotherLetterCase) {
  const std::string mkfs = findTool("mkfs.vfat"), fusefat = findTool("fusefat");
  if (mkfs.empty() || fusefat.empty()) GTEST_SKIP() << "mkfs.vfat (dosfstools) or fusefat missing";
  if (::access("/dev/fuse", R_OK | W_OK) != 0) GTEST_SKIP() << "no /dev/fuse";
  if (!privateMounts()) GTEST_SKIP() << "mounting needs root";
  const std::string image = path("fat.img"), mnt = path("mnt");
  makeFolders("mnt");
  testing_support::writeFile(image, "");
  fs::resize_file(image, 32 << 20);
  ASSERT_EQ(std::system((quoted(mkfs) + " " + quoted(image) + " >/dev/null 2>&1").c_str()), 0);
  Mount mount;
  ASSERT_TRUE(mount.fuseFat(fusefat, image, mnt));
  fs::create_directory(mnt + "/Musik");
  sortAndCheck(mnt, mnt, mnt + "/MUSIK", mnt + "/Musik");
}

TEST_F(FileSystemTest, TargetBoundIntoTheSource) {
  if (!privateMounts()) GTEST_SKIP() << "mounting needs root";
  makeFolders("in/Spiegel");
  makeFolders("out");
  Mount mount;
  ASSERT_TRUE(mount.bind(path("out"), path("in/Spiegel")));
  sortAndCheck(path("in"), path("in"), path("out"), path("out"));
}

TEST_F(FileSystemTest, TargetReachedThroughLinks) {
  // A link in the source to the target; the target typed as that link; a
  // target inside the source typed through a link to the source.
  const struct {
    const char* source;
    const char* target;
    const char* storedIn;
  } layouts[] = {{"in", "out", "out"}, {"in", "in/Zum Ziel", "out"}, {"in", "weg/Ziel", "in/Ziel"}};
  fs::create_directory_symlink(path("in"), path("weg"));
  for (const auto& layout : layouts) {
    SCOPED_TRACE(layout.target);
    for (const char* folder : {"in", "out", "cfg"}) fs::remove_all(path(folder));
    makeFolders("in/Ziel");
    makeFolders("out");
    fs::create_directory_symlink(path("out"), path("in/Zum Ziel"));
    sortAndCheck(path("in"), path(layout.source), path(layout.target), path(layout.storedIn));
  }
}

}  // namespace

#endif
