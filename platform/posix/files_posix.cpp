// The handle-based file calls on POSIX.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "common/paths.h"
#include "platform/faults.h"
#include "platform/platform.h"
#include "platform/posix/errors.h"

namespace platform {
namespace {

using faults::Op;

// A pipe or device opened for writing would block or write elsewhere: only
// a regular file counts, and only once the open could not wait.
Status keepIfRegular(int& fd) {
  struct stat st;
  const int flags = ::fcntl(fd, F_GETFL);
  Failure why = Failure::none;
  if (::fstat(fd, &st) != 0 || flags < 0) {
    why = posix::failureFromErrno(errno);
  } else if (!S_ISREG(st.st_mode)) {
    why = Failure::notRegular;
  } else if (::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    why = posix::failureFromErrno(errno);
  }
  if (why == Failure::none) return success;
  ::close(fd);
  fd = -1;
  return failedWith(why);
}

}  // namespace

Failure posix::failureFromErrno(int error) {
  switch (error) {
    case 0: return Failure::other;
    case EEXIST:
    case ENOTEMPTY: return Failure::exists;
    case ENOENT:
    case ENOTDIR: return Failure::notFound;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return Failure::noSpace;
    case EACCES:
    case EPERM:
    case EROFS: return Failure::accessDenied;
    case ENAMETOOLONG: return Failure::nameTooLong;
    case EIO: return Failure::ioError;
    case ELOOP: return Failure::link;
    case ENXIO:
    case EISDIR: return Failure::notRegular;
    case EWOULDBLOCK: return Failure::busy;
    default: return Failure::other;
  }
}

int posix::openPath(const char* path, int flags, unsigned mode) {
  int fd;
  do {
    fd = ::open(path, flags | O_CLOEXEC, static_cast<mode_t>(mode));
  } while (fd < 0 && errno == EINTR);
  return fd;
}

int posix::openPathAt(int folder, const char* name, int flags, unsigned mode) {
  int fd;
  do {
    fd = ::openat(folder, name, flags | O_CLOEXEC, static_cast<mode_t>(mode));
  } while (fd < 0 && errno == EINTR);
  return fd;
}

FileInfo posix::infoFromStat(const struct stat& st) {
  FileInfo info;
  if (S_ISREG(st.st_mode)) info.kind = Kind::file;
  else if (S_ISDIR(st.st_mode)) info.kind = Kind::folder;
  else if (S_ISLNK(st.st_mode)) info.kind = Kind::link;
  else info.kind = Kind::other;
  info.id = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  info.size = static_cast<std::int64_t>(st.st_size);
  info.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return info;
}

int posix::openRegularForReading(std::string_view path, Failure& why) {
  // Non-blocking only for the open itself: a pipe without a writer would
  // otherwise hold it.
  int fd = openPath(std::string(path).c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW);
  if (fd < 0) {
    why = failureFromErrno(errno);
    return -1;
  }
  if (Status kept = keepIfRegular(fd); !kept) {
    why = kept.failure;
    return -1;
  }
  return fd;
}

File::~File() { close(); }

File::File(File&& other) noexcept
    : fd_(other.fd_), path_(std::move(other.path_)), failure_(other.failure_) {
  other.fd_ = -1;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = other.fd_;
    path_ = std::move(other.path_);
    failure_ = other.failure_;
    other.fd_ = -1;
  }
  return *this;
}

Status File::openRead(std::string_view path) {
  close();
  if (Failure why = faults::shouldFail(Op::open, path); why != Failure::none) return fail(why);
  Failure why = Failure::none;
  fd_ = posix::openRegularForReading(path, why);
  if (fd_ < 0) return fail(why);
  path_ = path;
  return success;
}

Status File::createNew(std::string_view path) {
  close();
  if (Failure why = faults::shouldFail(Op::create, path); why != Failure::none) return fail(why);
  // O_EXCL fails on any name that is taken, a link (even a dangling one) too.
  fd_ = posix::openPath(std::string(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
  if (fd_ < 0) return fail(posix::failureFromErrno(errno));
  path_ = path;
  return success;
}

Status File::createTemporary(std::string_view folder, std::string& temporaryPath) {
  close();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = temporaryNameFor(folder);
    Status made = createNew(candidate);
    if (made) {
      temporaryPath = std::move(candidate);
      return made;
    }
    if (made.failure != Failure::exists) return made;
  }
  return fail(Failure::exists);
}

Status File::openAppend(std::string_view path) {
  close();
  if (Failure why = faults::shouldFail(Op::create, path); why != Failure::none) return fail(why);
  fd_ = posix::openPath(std::string(path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK,
                        0666);
  if (fd_ < 0) return fail(posix::failureFromErrno(errno));
  if (Status kept = keepIfRegular(fd_); !kept) return fail(kept.failure);
  path_ = path;
  return success;
}

bool File::isOpen() const { return fd_ >= 0; }

void File::close() {
  if (fd_ >= 0) {
    ::close(fd_);  // on Linux the descriptor is gone even when close reports EINTR
    fd_ = -1;
  }
  path_.clear();
}

std::int64_t File::read(void* buffer, std::size_t size) {
  if (fd_ < 0) {
    failure_ = Failure::other;
    return -1;
  }
  const Failure injected = faults::shouldFail(Op::read, path_);
  std::size_t want = injected != Failure::none ? size / 2 : size;
  auto* out = static_cast<unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < want) {
    ssize_t got = ::read(fd_, out + done, want - done);
    if (got < 0) {
      if (errno == EINTR) continue;
      failure_ = posix::failureFromErrno(errno);
      return -1;
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  if (injected != Failure::none) {
    failure_ = injected;
    return -1;
  }
  return static_cast<std::int64_t>(done);
}

bool File::readExact(void* buffer, std::size_t size) {
  return read(buffer, size) == static_cast<std::int64_t>(size);
}

Status File::write(const void* buffer, std::size_t size) {
  if (fd_ < 0) return fail(Failure::other);
  const Failure injected = faults::shouldFail(Op::write, path_);
  std::size_t want = injected != Failure::none ? size / 2 : size;
  const auto* in = static_cast<const unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < want) {
    ssize_t put = ::write(fd_, in + done, want - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      return fail(posix::failureFromErrno(errno));
    }
    if (put == 0) return fail(Failure::noSpace);
    done += static_cast<std::size_t>(put);
  }
  if (injected != Failure::none) return fail(injected);
  return success;
}

Status File::seek(std::int64_t offset, SeekFrom from) {
  if (fd_ < 0) return fail(Failure::other);
  if (Failure why = faults::shouldFail(Op::seek, path_); why != Failure::none) return fail(why);
  if (::lseek(fd_, static_cast<off_t>(offset), from == SeekFrom::begin ? SEEK_SET : SEEK_END) < 0) {
    return fail(posix::failureFromErrno(errno));
  }
  return success;
}

std::int64_t File::size() {
  if (fd_ < 0) return -1;
  struct stat st;
  if (::fstat(fd_, &st) != 0) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

FileInfo File::info() {
  struct stat st;
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return {};
  return posix::infoFromStat(st);
}

Status File::sync() {
  if (fd_ < 0) return fail(Failure::other);
  if (Failure why = faults::shouldFail(Op::sync, path_); why != Failure::none) return fail(why);
  if (::fsync(fd_) != 0) return fail(posix::failureFromErrno(errno));
  return success;
}

FolderLock::~FolderLock() { release(); }

Status FolderLock::acquire(std::string_view folder) {
  if (fd_ >= 0) return success;
  const std::string path = childPath(folder, "liedkorb.lock");
  if (Failure why = faults::shouldFail(faults::Op::lock, path); why != Failure::none) {
    return failedWith(why);
  }
  int fd = posix::openPath(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK, 0666);
  if (fd < 0) return posix::statusFromErrno(errno);
  if (Status kept = keepIfRegular(fd); !kept) return kept;
  // Held by the open file, so it ends with the process, however that ends.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    return failedWith(error == EWOULDBLOCK ? Failure::busy : posix::failureFromErrno(error));
  }
  fd_ = fd;
  return success;
}

void FolderLock::release() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}

bool FolderLock::held() const { return fd_ >= 0; }

}  // namespace platform
