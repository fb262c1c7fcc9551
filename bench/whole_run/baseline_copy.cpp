// The baseline of the whole-run benchmark: what any sorter must do at least.
// For every *.mp3 file of a folder: read its head (100000 bytes), read it
// whole for a zlib CRC-32, and copy a tagged file (one that begins with
// "ID3") into two folders. No tag logic, no names from tags.
//   bench-baseline-copy SOURCE TARGET
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

bool copyFile(const std::string& from, const std::string& to) {
  int in = open(from.c_str(), O_RDONLY);
  if (in < 0) return false;
  int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (out < 0) {
    close(in);
    return false;
  }
  struct stat st;
  fstat(in, &st);
  off_t left = st.st_size;
  while (left > 0) {
    ssize_t n = copy_file_range(in, nullptr, out, nullptr, static_cast<std::size_t>(left), 0);
    if (n <= 0) break;
    left -= n;
  }
  close(in);
  close(out);
  return left == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  std::string source = argv[1], target = argv[2];
  std::string a = target + "/a", b = target + "/b";
  mkdir(a.c_str(), 0777);
  mkdir(b.c_str(), 0777);
  DIR* dir = opendir(source.c_str());
  if (!dir) return 1;
  std::vector<unsigned char> head(100000), chunk(0x40000);
  unsigned long files = 0, crcSum = 0;
  while (dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    if (name.size() < 4 || name.substr(name.size() - 4) != ".mp3") continue;
    std::string path = source + "/" + name;
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) continue;
    ssize_t got = read(fd, head.data(), head.size());
    bool tagged = got >= 3 && head[0] == 'I' && head[1] == 'D' && head[2] == '3';
    lseek(fd, 0, SEEK_SET);
    uLong crc = crc32(0L, Z_NULL, 0);
    while ((got = read(fd, chunk.data(), chunk.size())) > 0) crc = crc32(crc, chunk.data(), static_cast<uInt>(got));
    close(fd);
    crcSum += crc;
    if (tagged) {
      copyFile(path, a + "/" + name);
      copyFile(path, b + "/" + name);
    }
    ++files;
  }
  closedir(dir);
  std::printf("%lu files (%lx)\n", files, crcSum);
  return 0;
}
