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

#include "tools/id3_writer.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::writeFile;

std::string quoted(const std::string& arg) {
  std::string out = "'";
  for (char c : arg) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The full path of a program, also one in the administrator's folders.
std::string findTool(const char* name) {
  std::stringstream dirs(std::string(std::getenv("PATH") ? std::getenv("PATH") : "") + ":/usr/sbin:/sbin");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const std::string candidate = dir + "/" + name;
    if (!dir.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate;
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
    if (driver_ > 0) {
      ::kill(driver_, SIGTERM);
      ::waitpid(driver_, nullptr, 0);
    }
  }

  bool bind(const std::string& from, const std::string& at) {
    if (::mount(from.c_str(), at.c_str(), nullptr, MS_BIND, nullptr) != 0) return false;
    at_ = at;
    return true;
  }

  // The FAT image through the FUSE driver, which runs in the foreground as
  // our child and dies with us.
  bool fuseFat(const std::string& driver, const std::string& image, const std::string& at) {
    struct stat before {};
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
      struct stat now {};
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

struct Song {
  std::string path;
  std::string bytes;
  int copies;  // a tagged song goes to its artist and its genre
};

class FileSystemTest : public testing_support::TempFolderTest {
 protected:
  // Tagged songs, songs without a tag and a byte-identical copy of the
  // first song, in the source folder and a subfolder.
  static std::vector<Song> library() {
    std::vector<Song> songs;
    for (int i = 0; i < 8; ++i) {
      const std::string name = (i % 2 ? "CD 1/song" : "song") + std::to_string(i) + ".mp3";
      const std::size_t size = 20000 + 3000 * static_cast<std::size_t>(i);
      if (i >= 6) {
        songs.push_back({name, id3::audio(size, static_cast<std::uint32_t>(i + 1)), 1});
        continue;
      }
      auto text = [](const char* id, const std::string& value) {
        return id3::frame(3, id, id3::textBody(id3::Encoding::latin1, value));
      };
      const std::string tag = id3::tag(3, {text("TPE1", "Band " + std::to_string(i % 2)),
                                           text("TIT2", "Lied " + std::to_string(i)), text("TCON", "Rock")});
      songs.push_back({name, id3::mp3File(tag, size, "", static_cast<std::uint32_t>(i + 1)), 2});
    }
    songs.push_back({"CD 1/Kopie von song0.mp3", songs[0].bytes, 0});
    return songs;
  }

  // Writes the library into sourceOnDisk, sorts source into target (both as
  // typed) and checks what the target folder on disk (storedIn) holds: every
  // song stored exactly as often as it belongs there, nothing else, no
  // source left.
  void sortAndCheck(const std::string& sourceOnDisk, const std::string& source, const std::string& target,
                    const std::string& storedIn) {
    const std::vector<Song> songs = library();
    std::map<std::string, int> expected;
    for (const Song& song : songs) {
      fs::create_directories(fs::path(sourceOnDisk + "/" + song.path).parent_path());
      writeFile(sourceOnDisk + "/" + song.path, song.bytes);
      expected[song.bytes] += song.copies;
    }
    const std::string command =
        quoted(LIEDKORB_CLI_PATH) + " --config " + quoted(path("cfg")) + " --source " + quoted(source) +
        " --target " + quoted(target) +
        " --crc --loeschen --rekursiv --kuenstler --genre --unbekannt --quiet >/dev/null 2>" +
        quoted(path("stderr")) + " </dev/null";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << readFile(path("stderr"));

    std::map<std::string, int> stored;
    for (auto it = fs::recursive_directory_iterator(storedIn); it != fs::recursive_directory_iterator(); ++it) {
      if (it->is_directory()) continue;
      const std::string bytes = readFile(it->path().string());
      EXPECT_TRUE(expected.count(bytes)) << "foreign or partial file " << it->path();
      ++stored[bytes];
    }
    const std::string log = fs::exists(path("cfg/liedkorb.LOG")) ? readFile(path("cfg/liedkorb.LOG")) : "";
    for (const Song& song : songs) {
      const bool atSource = fs::exists(fs::symlink_status(sourceOnDisk + "/" + song.path));
      EXPECT_FALSE(atSource) << "source not deleted: " << song.path;
      EXPECT_EQ(stored[song.bytes], expected[song.bytes])
          << song.path << (atSource ? "" : " (source deleted)") << "\n" << log;
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
  writeFile(image, "");
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
  struct Layout {
    const char* name;
    const char* source;
    const char* target;
    const char* storedIn;
  };
  // A link in the source to the target; the target typed as that link; a
  // target inside the source typed through a link to the source.
  const Layout layouts[] = {
      {"link in the source", "in", "out", "out"},
      {"target typed as the link", "in", "in/Zum Ziel", "out"},
      {"inner target through a link", "in", "weg/Ziel", "in/Ziel"},
  };
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(layout.name);
    fs::remove_all(path("in"));
    fs::remove_all(path("out"));
    fs::remove_all(path("cfg"));
    makeFolders("in/Ziel");
    makeFolders("out");
    fs::create_directory_symlink(path("out"), path("in/Zum Ziel"));
    if (!fs::exists(fs::symlink_status(path("weg")))) fs::create_directory_symlink(path("in"), path("weg"));
    sortAndCheck(path("in"), path(layout.source), path(layout.target), path(layout.storedIn));
  }
}

}  // namespace

#endif
