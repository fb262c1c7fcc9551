// The handle-based file calls on Windows.
#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/faults.h"
#include "platform/platform.h"
#include "platform/win32/wide.h"

namespace platform {
namespace {

using faults::Op;

// Every file may be read, written, renamed or deleted by others while we hold
// it, as on POSIX; without FILE_SHARE_DELETE a scan would block the user from
// tidying up files in a folder it merely reads.
constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// One ReadFile or WriteFile moves at most a DWORD's worth.
constexpr std::size_t maxChunk = std::size_t{1} << 30;

HANDLE openPath(std::string_view path, DWORD access, DWORD disposition) {
  std::wstring wide;
  if (path.empty() || !win32::toWide(path, wide)) return nullptr;
  HANDLE h = ::CreateFileW(wide.c_str(), access, shareAll, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
  return h == INVALID_HANDLE_VALUE ? nullptr : h;
}

}  // namespace

File::~File() { close(); }

File::File(File&& other) noexcept : handle_(other.handle_), path_(std::move(other.path_)) {
  other.handle_ = nullptr;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = other.handle_;
    path_ = std::move(other.path_);
    other.handle_ = nullptr;
  }
  return *this;
}

bool File::openRead(std::string_view path) {
  close();
  if (faults::shouldFail(Op::open, path)) return false;
  // Without FILE_FLAG_BACKUP_SEMANTICS a folder does not open, as it should not.
  handle_ = openPath(path, GENERIC_READ, OPEN_EXISTING);
  if (handle_) path_ = path;
  return handle_ != nullptr;
}

bool File::create(std::string_view path) {
  close();
  if (faults::shouldFail(Op::create, path)) return false;
  handle_ = openPath(path, GENERIC_WRITE, CREATE_ALWAYS);
  if (handle_) path_ = path;
  return handle_ != nullptr;
}

bool File::createNew(std::string_view path) {
  close();
  if (faults::shouldFail(Op::create, path)) return false;
  handle_ = openPath(path, GENERIC_WRITE, CREATE_NEW);
  if (handle_) path_ = path;
  return handle_ != nullptr;
}

bool File::openAppend(std::string_view path) {
  close();
  if (faults::shouldFail(Op::create, path)) return false;
  // Append access without FILE_WRITE_DATA puts every write at the end, even
  // when another program appends to the same log meanwhile.
  handle_ = openPath(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE, OPEN_ALWAYS);
  if (handle_) path_ = path;
  return handle_ != nullptr;
}

bool File::isOpen() const { return handle_ != nullptr; }

void File::close() {
  if (handle_) {
    ::CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
  }
  path_.clear();
}

std::int64_t File::read(void* buffer, std::size_t size) {
  if (!handle_) return -1;
  bool fail = faults::shouldFail(Op::read, path_);
  std::size_t want = fail ? size / 2 : size;
  auto* out = static_cast<unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < want) {
    DWORD got = 0;
    DWORD chunk = static_cast<DWORD>(std::min(want - done, maxChunk));
    if (!::ReadFile(static_cast<HANDLE>(handle_), out + done, chunk, &got, nullptr)) return -1;
    if (got == 0) break;
    done += got;
  }
  if (fail) return -1;
  return static_cast<std::int64_t>(done);
}

bool File::readExact(void* buffer, std::size_t size) {
  return read(buffer, size) == static_cast<std::int64_t>(size);
}

bool File::write(const void* buffer, std::size_t size) {
  if (!handle_) return false;
  bool fail = faults::shouldFail(Op::write, path_);
  std::size_t want = fail ? size / 2 : size;
  const auto* in = static_cast<const unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < want) {
    DWORD put = 0;
    DWORD chunk = static_cast<DWORD>(std::min(want - done, maxChunk));
    if (!::WriteFile(static_cast<HANDLE>(handle_), in + done, chunk, &put, nullptr) || put == 0) return false;
    done += put;
  }
  return !fail;
}

bool File::seek(std::int64_t offset, SeekFrom from) {
  if (!handle_) return false;
  if (faults::shouldFail(Op::seek, path_)) return false;
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  return ::SetFilePointerEx(static_cast<HANDLE>(handle_), distance, nullptr,
                            from == SeekFrom::begin ? FILE_BEGIN : FILE_END) != 0;
}

std::int64_t File::size() {
  if (!handle_) return -1;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(static_cast<HANDLE>(handle_), &size)) return -1;
  return size.QuadPart;
}

bool File::sync() { return handle_ && ::FlushFileBuffers(static_cast<HANDLE>(handle_)) != 0; }

}  // namespace platform
