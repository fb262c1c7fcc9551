// Folders, copies, renames and the program's own places on POSIX.
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "common/paths.h"
#include "common/text.h"
#include "platform/faults.h"
#include "platform/listing_order.h"
#include "platform/platform.h"
#include "platform/posix/regular_file.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace platform {
namespace {

using faults::Op;

struct DirCloser {
  void operator()(DIR* d) const { ::closedir(d); }
};

struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

std::string configOverride;

// Copies the bytes of in to out; stops after limit bytes.
bool copyBytes(int in, int out, off_t limit) {
  bool tryRange = true;
  off_t copied = 0;
  while (copied < limit) {
    std::size_t chunk = static_cast<std::size_t>(std::min<off_t>(limit - copied, off_t{1} << 30));
    if (tryRange) {
      ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, chunk, 0);
      if (n > 0) {
        copied += n;
        continue;
      }
      if (n == 0) return copied == limit;  // the source shrank meanwhile
      if (errno == EINTR) continue;
      if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP &&
          errno != EPERM) {
        return false;
      }
      tryRange = false;  // fall back to plain reads and writes
    }
    static thread_local std::unique_ptr<char[]> buffer(new char[1 << 16]);
    ssize_t got = ::read(in, buffer.get(), std::min<std::size_t>(chunk, 1 << 16));
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (got == 0) return copied == limit;
    ssize_t done = 0;
    while (done < got) {
      ssize_t put = ::write(out, buffer.get() + done, static_cast<std::size_t>(got - done));
      if (put < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      done += put;
    }
    copied += got;
  }
  return true;
}

bool makeFolders(const std::string& path) {
  if (path.empty()) return false;
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  std::size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !makeFolders(path.substr(0, slash))) return false;
  return ::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
}

}  // namespace

bool findEntries(std::string_view folder, std::string_view pattern, std::vector<DirEntry>& entries) {
  entries.clear();
  if (faults::shouldFail(Op::find, folder)) return false;
  std::string dirPath(folder);
  if (dirPath.empty()) return false;
  std::unique_ptr<DIR, DirCloser> dir(::opendir(dirPath.c_str()));
  if (!dir) return false;
  int dirFd = ::dirfd(dir.get());
  while (true) {
    errno = 0;
    dirent* entry = ::readdir(dir.get());
    if (!entry) break;
    std::string_view name(entry->d_name);
    if (!matchesWildcard(name, pattern)) continue;
    DirEntry out;
    out.name = name;
    unsigned char type = entry->d_type;
    if (type == DT_UNKNOWN || type == DT_LNK) {
      struct stat st;
      if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISDIR(st.st_mode)) type = DT_DIR;
        else if (S_ISLNK(st.st_mode)) type = DT_LNK;
      }
      if (type == DT_LNK && ::fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode)) {
        out.isFolderLink = true;
      }
    }
    out.isFolder = type == DT_DIR;
    entries.push_back(std::move(out));
  }
  sortEntries(entries);
  return true;
}

bool copyFileNoOverwrite(std::string_view source, std::string_view target) {
  bool fail = faults::shouldFail(Op::copy, target);
  std::string dst(target);
  Fd in;
  in.fd = posix::openRegularForReading(source);
  if (in.fd < 0) return false;
  struct stat st;
  if (::fstat(in.fd, &st) != 0) return false;
  Fd out;
  out.fd = ::open(dst.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out.fd < 0) return false;
  // From here on a failure must not leave a partial target behind.
  bool ok = copyBytes(in.fd, out.fd, fail ? st.st_size / 2 : st.st_size) && !fail;
  if (ok) {
    // Permission bits and times are kept where the file system can hold
    // them; one that refuses them still has a whole copy. Set-id and sticky
    // bits are not carried over to a copy.
    ::fchmod(out.fd, st.st_mode & 0777);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out.fd, times);
  }
  int closed = ::close(out.fd);
  out.fd = -1;
  if (ok && closed != 0) ok = false;
  if (!ok) ::unlink(dst.c_str());
  return ok;
}

bool moveFileNoReplace(std::string_view from, std::string_view to) {
  if (faults::shouldFail(Op::move, to)) return false;
  std::string a(from), b(to);
  if (::syscall(SYS_renameat2, AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != ENOSYS && errno != EINVAL) return false;
  // File systems without the no-replace rename: a hard link fails on an
  // existing name just as well.
  if (::link(a.c_str(), b.c_str()) == 0) {
    if (::unlink(a.c_str()) == 0) return true;
    ::unlink(b.c_str());
    return false;
  }
  if (errno == EEXIST) return false;
  struct stat st;
  if (::lstat(b.c_str(), &st) == 0) return false;
  return ::rename(a.c_str(), b.c_str()) == 0;
}

bool replaceFile(std::string_view from, std::string_view to) {
  if (faults::shouldFail(Op::replace, to)) return false;
  return ::rename(std::string(from).c_str(), std::string(to).c_str()) == 0;
}

bool deleteFile(std::string_view path) {
  if (faults::shouldFail(Op::remove, path)) return false;
  std::string p(path);
  struct stat st;
  if (::lstat(p.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return ::unlink(p.c_str()) == 0;
}

bool makeFolder(std::string_view path) {
  if (faults::shouldFail(Op::makeFolder, path)) return false;
  return ::mkdir(std::string(path).c_str(), 0777) == 0;
}

bool pathExists(std::string_view path) {
  struct stat st;
  return ::lstat(std::string(path).c_str(), &st) == 0;
}

bool isFolder(std::string_view path) {
  struct stat st;
  return ::stat(std::string(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool clearReadOnly(std::string_view path) {
  if (faults::shouldFail(Op::clearReadOnly, path)) return false;
  std::string p(path);
  struct stat st;
  if (::stat(p.c_str(), &st) != 0) return false;
  if (st.st_mode & S_IWUSR) return true;
  return ::chmod(p.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

bool canonicalPath(std::string_view path, std::string& result) {
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(std::string(path).c_str(), nullptr),
                                                       &std::free);
  if (!resolved) return false;
  result = resolved.get();
  return true;
}

std::string programPath() {
  std::string buffer(PATH_MAX, '\0');
  ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) return {};
  buffer.resize(static_cast<std::size_t>(n));
  return buffer;
}

std::string homeFolder() {
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return home;
  if (passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

std::string configFolder() {
  std::string folder;
  if (!configOverride.empty()) {
    folder = configOverride;
  } else if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
    folder = std::string(xdg) + "/liedkorb";
  } else {
    folder = homeFolder() + "/.config/liedkorb";
  }
  if (!makeFolders(folder)) return {};
  return folder;
}

void setConfigFolder(std::string_view folder) { configOverride = folder; }

}  // namespace platform
