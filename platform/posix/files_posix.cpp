// The handle-based file calls on POSIX.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/faults.h"
#include "platform/platform.h"
#include "platform/posix/regular_file.h"

namespace platform {
namespace {

using faults::Op;

int openPath(std::string_view path, int flags, mode_t mode = 0666) {
  std::string p(path);
  int fd;
  do {
    fd = ::open(p.c_str(), flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace

int posix::openRegularForReading(std::string_view path) {
  // Non-blocking only for the open itself: a pipe without a writer would
  // otherwise hold it.
  const int fd = openPath(path, O_RDONLY | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat st;
  const int flags = ::fcntl(fd, F_GETFL);
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
      ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

File::~File() { close(); }

File::File(File&& other) noexcept : fd_(other.fd_), path_(std::move(other.path_)) { other.fd_ = -1; }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = other.fd_;
    path_ = std::move(other.path_);
    other.fd_ = -1;
  }
  return *this;
}

bool File::openRead(std::string_view path) {
  close();
  if (faults::shouldFail(Op::open, path)) return false;
  fd_ = posix::openRegularForReading(path);
  if (fd_ >= 0) path_ = path;
  return fd_ >= 0;
}

bool File::create(std::string_view path) {
  close();
  if (faults::shouldFail(Op::create, path)) return false;
  fd_ = openPath(path, O_WRONLY | O_CREAT | O_TRUNC);
  if (fd_ >= 0) path_ = path;
  return fd_ >= 0;
}

bool File::createNew(std::string_view path) {
  close();
  if (faults::shouldFail(Op::create, path)) return false;
  fd_ = openPath(path, O_WRONLY | O_CREAT | O_EXCL);
  if (fd_ >= 0) path_ = path;
  return fd_ >= 0;
}

bool File::openAppend(std::string_view path) {
  close();
  if (faults::shouldFail(Op::create, path)) return false;
  fd_ = openPath(path, O_WRONLY | O_CREAT | O_APPEND);
  if (fd_ >= 0) path_ = path;
  return fd_ >= 0;
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
  if (fd_ < 0) return -1;
  bool fail = faults::shouldFail(Op::read, path_);
  std::size_t want = fail ? size / 2 : size;
  auto* out = static_cast<unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < want) {
    ssize_t got = ::read(fd_, out + done, want - done);
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  if (fail) return -1;
  return static_cast<std::int64_t>(done);
}

bool File::readExact(void* buffer, std::size_t size) {
  return read(buffer, size) == static_cast<std::int64_t>(size);
}

bool File::write(const void* buffer, std::size_t size) {
  if (fd_ < 0) return false;
  bool fail = faults::shouldFail(Op::write, path_);
  std::size_t want = fail ? size / 2 : size;
  const auto* in = static_cast<const unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < want) {
    ssize_t put = ::write(fd_, in + done, want - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (put == 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return !fail;
}

bool File::seek(std::int64_t offset, SeekFrom from) {
  if (fd_ < 0) return false;
  if (faults::shouldFail(Op::seek, path_)) return false;
  return ::lseek(fd_, static_cast<off_t>(offset), from == SeekFrom::begin ? SEEK_SET : SEEK_END) >= 0;
}

std::int64_t File::size() {
  if (fd_ < 0) return -1;
  struct stat st;
  if (::fstat(fd_, &st) != 0) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

bool File::sync() { return fd_ >= 0 && ::fsync(fd_) == 0; }

}  // namespace platform
