// Folders, copies, renames and the program's own places on POSIX.
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statfs.h>
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
#include "platform/backend.h"
#include "platform/faults.h"
#include "platform/listing_order.h"
#include "platform/platform.h"
#include "platform/posix/errors.h"

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
  Fd() = default;
  explicit Fd(int f) : fd(f) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

std::string configOverride;
bool durable = true;

// Copies the bytes of in to out; stops after limit bytes.
Status copyBytes(int in, int out, off_t limit) {
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
      if (n == 0) return failedWith(Failure::changed);  // the source shrank meanwhile
      if (errno == EINTR) continue;
      if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP &&
          errno != EPERM) {
        return posix::statusFromErrno(errno);
      }
      tryRange = false;  // fall back to plain reads and writes
    }
    static thread_local std::unique_ptr<char[]> buffer(new char[1 << 16]);
    ssize_t got = ::read(in, buffer.get(), std::min<std::size_t>(chunk, 1 << 16));
    if (got < 0) {
      if (errno == EINTR) continue;
      return posix::statusFromErrno(errno);
    }
    if (got == 0) return failedWith(Failure::changed);
    ssize_t done = 0;
    while (done < got) {
      ssize_t put = ::write(out, buffer.get() + done, static_cast<std::size_t>(got - done));
      if (put < 0) {
        if (errno == EINTR) continue;
        return posix::statusFromErrno(errno);
      }
      done += put;
    }
    copied += got;
  }
  return success;
}

// Renames within one folder without replacing: the no-replace rename, or on
// file systems without it a hard link, which fails on a taken name as well.
Status renameNoReplaceAt(int fromFolder, const char* from, int toFolder, const char* to) {
  if (::syscall(SYS_renameat2, fromFolder, from, toFolder, to, RENAME_NOREPLACE) == 0) return success;
  if (errno != ENOSYS && errno != EINVAL) return posix::statusFromErrno(errno);
  if (::linkat(fromFolder, from, toFolder, to, 0) == 0) {
    if (::unlinkat(fromFolder, from, 0) == 0) return success;
    const int error = errno;
    ::unlinkat(toFolder, to, 0);
    return posix::statusFromErrno(error);
  }
  if (errno == EEXIST) return failedWith(Failure::exists);
  // Neither is offered (some network and FUSE file systems): a plain rename
  // after a look, the best that is left.
  struct stat st;
  if (::fstatat(toFolder, to, &st, AT_SYMLINK_NOFOLLOW) == 0) return failedWith(Failure::exists);
  if (::renameat(fromFolder, from, toFolder, to) == 0) return success;
  return posix::statusFromErrno(errno);
}

bool makeFolders(const std::string& path) {
  if (path.empty()) return false;
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  std::size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !makeFolders(path.substr(0, slash))) return false;
  return ::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
}

struct FolderAndName {
  std::string folder;
  std::string name;
};

FolderAndName splitLast(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string_view::npos) return {".", std::string(path)};
  return {slash == 0 ? "/" : std::string(path.substr(0, slash)), std::string(path.substr(slash + 1))};
}

// File systems on which a name may be found under another letter case.
bool mayIgnoreCase(const std::string& path) {
  struct statfs fs;
  if (::statfs(path.c_str(), &fs) != 0) return false;
  switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x4d44:      // FAT
    case 0x2011BAB0:  // exFAT
    case 0xFF534D42:  // CIFS
    case 0xFE534D42:  // SMB2
    case 0x517B:      // SMB
    case 0x5346544e:  // NTFS
    case 0x65735546:  // FUSE: exFAT, NTFS and FAT drivers among others
    case 0x4244:      // HFS
    case 0x482b:      // HFS+
      return true;
    default:
      return false;
  }
}

// The spelling under which folder stores name: name itself when it is
// listed so, else the one entry that differs from it only in ASCII case.
std::string storedSpelling(const std::string& folder, const std::string& name) {
  std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
  if (!dir) return name;
  std::string match;
  int matches = 0;
  while (dirent* entry = ::readdir(dir.get())) {
    std::string_view listed(entry->d_name);
    if (listed == name) return name;
    if (equalsNoCaseAscii(listed, name)) {
      match = listed;
      ++matches;
    }
  }
  return matches == 1 ? match : name;
}

}  // namespace

std::uint32_t backend::currentProcessId() { return static_cast<std::uint32_t>(::getpid()); }

bool backend::processIsRunning(std::uint32_t pid) {
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

FileInfo fileInfo(std::string_view path) {
  if (faults::shouldFail(Op::query, path) != Failure::none) return {};
  struct stat st;
  if (path.empty() || ::lstat(std::string(path).c_str(), &st) != 0) return {};
  return posix::infoFromStat(st);
}

bool pathExists(std::string_view path) { return fileInfo(path).kind != Kind::missing; }

bool isFolder(std::string_view path) {
  if (faults::shouldFail(Op::query, path) != Failure::none) return false;
  struct stat st;
  return ::stat(std::string(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

Status findEntries(std::string_view folder, std::string_view pattern, std::vector<DirEntry>& entries) {
  entries.clear();
  if (Failure why = faults::shouldFail(Op::find, folder); why != Failure::none) return failedWith(why);
  std::string dirPath(folder);
  if (dirPath.empty()) return failedWith(Failure::notFound);
  std::unique_ptr<DIR, DirCloser> dir(::opendir(dirPath.c_str()));
  if (!dir) return posix::statusFromErrno(errno);
  int dirFd = ::dirfd(dir.get());
  while (true) {
    errno = 0;
    dirent* entry = ::readdir(dir.get());
    if (!entry) {
      if (errno != 0) {
        const int error = errno;
        entries.clear();
        return posix::statusFromErrno(error);
      }
      break;
    }
    std::string_view name(entry->d_name);
    if (!matchesWildcard(name, pattern)) continue;
    DirEntry out;
    out.name = name;
    unsigned char type = entry->d_type;
    if (type == DT_UNKNOWN) {
      struct stat st;
      if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISDIR(st.st_mode)) type = DT_DIR;
        else if (S_ISLNK(st.st_mode)) type = DT_LNK;
      }
    }
    if (type == DT_LNK) {
      struct stat st;
      out.isFolderLink = ::fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
      out.isLink = !out.isFolderLink;
    }
    out.isFolder = type == DT_DIR;
    entries.push_back(std::move(out));
  }
  sortEntries(entries);
  return success;
}

Status copyFileNoOverwrite(std::string_view source, std::string_view target, FileInfo* sourceSeen) {
  const Failure injectedFailure = faults::shouldFail(Op::copy, target, source);
  Failure why = Failure::none;
  Fd in(posix::openRegularForReading(source, why));
  if (in.fd < 0) return failedWith(why);
  struct stat before;
  if (::fstat(in.fd, &before) != 0) return posix::statusFromErrno(errno);

  // Everything happens inside the target's folder, opened once: a link put
  // in its place meanwhile is refused, not followed.
  const FolderAndName place = splitLast(target);
  Fd folder(posix::openPath(place.folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW));
  if (folder.fd < 0) return posix::statusFromErrno(errno);
  struct stat taken;
  if (::fstatat(folder.fd, place.name.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0) {
    return failedWith(Failure::exists);
  }

  std::string temporaryName;
  Fd out;
  for (int attempt = 0; attempt < 100 && out.fd < 0; ++attempt) {
    temporaryName = splitLast(temporaryNameFor(".")).name;
    out.fd = posix::openPathAt(folder.fd, temporaryName.c_str(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
    if (out.fd < 0 && errno != EEXIST) return posix::statusFromErrno(errno);
  }
  if (out.fd < 0) return failedWith(Failure::exists);

  // From here on a failure must not leave the temporary file behind.
  const off_t half = before.st_size / 2;
  Status copied = copyBytes(in.fd, out.fd, half);
  if (copied) faults::copyMidway(source);
  if (copied && injectedFailure != Failure::none) copied = failedWith(injectedFailure);
  if (copied) copied = copyBytes(in.fd, out.fd, before.st_size - half);
  if (copied) {
    // Permission bits and times are kept where the file system can hold
    // them; one that refuses them still has a whole copy. Set-id and sticky
    // bits are not carried over to a copy.
    ::fchmod(out.fd, before.st_mode & 0777);
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ::futimens(out.fd, times);
    // A file still being written (a download, a rip) is not taken: what was
    // copied may lack its end.
    struct stat after;
    if (::fstat(in.fd, &after) != 0) {
      copied = posix::statusFromErrno(errno);
    } else if (after.st_size != before.st_size || after.st_mtim.tv_sec != before.st_mtim.tv_sec ||
               after.st_mtim.tv_nsec != before.st_mtim.tv_nsec) {
      copied = failedWith(Failure::changed);
    }
  }
  // Write-back errors of network file systems show up at the close.
  if (::close(out.fd) != 0 && copied) copied = posix::statusFromErrno(errno);
  out.fd = -1;
  if (copied) {
    copied = renameNoReplaceAt(folder.fd, temporaryName.c_str(), folder.fd, place.name.c_str());
  }
  if (!copied) {
    ::unlinkat(folder.fd, temporaryName.c_str(), 0);
    return copied;
  }
  if (sourceSeen) *sourceSeen = posix::infoFromStat(before);
  return success;
}

Status moveFileNoReplace(std::string_view from, std::string_view to) {
  if (Failure why = faults::shouldFail(Op::move, to, from); why != Failure::none) return failedWith(why);
  return renameNoReplaceAt(AT_FDCWD, std::string(from).c_str(), AT_FDCWD, std::string(to).c_str());
}

Status replaceFile(std::string_view from, std::string_view to) {
  if (Failure why = faults::shouldFail(Op::replace, to, from); why != Failure::none) return failedWith(why);
  if (::rename(std::string(from).c_str(), std::string(to).c_str()) != 0) return posix::statusFromErrno(errno);
  return success;
}

Status deleteFile(std::string_view path) {
  if (Failure why = faults::shouldFail(Op::remove, path); why != Failure::none) return failedWith(why);
  std::string p(path);
  struct stat st;
  if (::lstat(p.c_str(), &st) != 0) return posix::statusFromErrno(errno);
  if (S_ISDIR(st.st_mode)) return failedWith(Failure::notRegular);
  if (::unlink(p.c_str()) != 0) return posix::statusFromErrno(errno);
  return success;
}

Status makeFolder(std::string_view path) {
  if (Failure why = faults::shouldFail(Op::makeFolder, path); why != Failure::none) return failedWith(why);
  if (::mkdir(std::string(path).c_str(), 0777) != 0) return posix::statusFromErrno(errno);
  return success;
}

Status clearReadOnly(std::string_view path) {
  if (Failure why = faults::shouldFail(Op::clearReadOnly, path); why != Failure::none) {
    return failedWith(why);
  }
  std::string p(path);
  struct stat st;
  if (::lstat(p.c_str(), &st) != 0) return posix::statusFromErrno(errno);
  // chmod would change what a link leads to.
  if (S_ISLNK(st.st_mode)) return failedWith(Failure::link);
  if (st.st_mode & S_IWUSR) return success;
  if (::fchmodat(AT_FDCWD, p.c_str(), (st.st_mode & 07777) | S_IWUSR, 0) != 0) {
    return posix::statusFromErrno(errno);
  }
  return success;
}

bool canonicalPath(std::string_view path, std::string& result) {
  if (faults::shouldFail(Op::query, path) != Failure::none) return false;
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(std::string(path).c_str(), nullptr),
                                                       &std::free);
  if (!resolved) return false;
  std::string real = resolved.get();
  if (!mayIgnoreCase(real)) {
    result = std::move(real);
    return true;
  }
  // realpath keeps the letter case it was given; take each component's
  // spelling from its folder's listing instead.
  std::string spelled = "/";
  std::size_t start = 1;
  while (start < real.size()) {
    std::size_t end = real.find('/', start);
    if (end == std::string::npos) end = real.size();
    const std::string name = real.substr(start, end - start);
    spelled = childPath(spelled, mayIgnoreCase(spelled) ? storedSpelling(spelled, name) : name);
    start = end + 1;
  }
  result = std::move(spelled);
  return true;
}

Status syncFile(std::string_view path) {
  if (Failure why = faults::shouldFail(Op::sync, path); why != Failure::none) return failedWith(why);
  if (!durable) return success;
  Fd fd(posix::openPath(std::string(path).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK));
  if (fd.fd < 0) return posix::statusFromErrno(errno);
  if (::fsync(fd.fd) != 0) return posix::statusFromErrno(errno);
  return success;
}

Status syncFolder(std::string_view path) {
  if (Failure why = faults::shouldFail(Op::sync, path); why != Failure::none) return failedWith(why);
  if (!durable) return success;
  Fd fd(posix::openPath(std::string(path).c_str(), O_RDONLY | O_DIRECTORY));
  if (fd.fd < 0) return posix::statusFromErrno(errno);
  // Some file systems cannot sync a folder (EINVAL) and keep their entries
  // in order by themselves.
  if (::fsync(fd.fd) != 0 && errno != EINVAL) return posix::statusFromErrno(errno);
  return success;
}

void setDurability(bool on) { durable = on; }
bool durability() { return durable; }

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
