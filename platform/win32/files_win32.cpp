// The handle-based file calls on Windows.
#include <windows.h>

#include <algorithm>
#include <string>

#include "common/paths.h"
#include "platform/faults.h"
#include "platform/platform.h"
#include "platform/win32/errors.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace platform {
namespace {

using faults::Op;

// One ReadFile or WriteFile moves at most a DWORD's worth.
constexpr std::size_t maxChunk = std::size_t{1} << 30;

// Write access to a file of ours; the attributes are read back by info().
constexpr DWORD writeAccess = GENERIC_WRITE | FILE_READ_ATTRIBUTES;

// Codes that MinGW's headers lack.
constexpr DWORD errorDiskQuotaExceeded = 1295;
constexpr DWORD errorDirectoryNotSupported = 336;

HANDLE native(void* handle) { return static_cast<HANDLE>(handle); }

}  // namespace

Failure win32::failureFromError(DWORD error) {
  switch (error) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
    case ERROR_DIR_NOT_EMPTY: return Failure::exists;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DIRECTORY: return Failure::notFound;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case errorDiskQuotaExceeded:
    case ERROR_FILE_TOO_LARGE: return Failure::noSpace;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
    case ERROR_DELETE_PENDING: return Failure::accessDenied;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW: return Failure::nameTooLong;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_SEEK:
    case ERROR_NOT_READY:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_REMOVED:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_NETNAME_DELETED:
    case ERROR_FILE_CORRUPT:
    case ERROR_DISK_CORRUPT: return Failure::ioError;
    case ERROR_CANT_RESOLVE_FILENAME: return Failure::link;
    case ERROR_PIPE_BUSY:
    case errorDirectoryNotSupported: return Failure::notRegular;
    default: return Failure::other;
  }
}

bool win32::widePath(std::string_view path, std::wstring& wide, Failure& why) {
  if (path.empty()) {
    why = Failure::notFound;
    return false;
  }
  if (!toWide(path, wide)) {
    why = Failure::other;
    return false;
  }
  return true;
}

HANDLE win32::openPath(std::string_view path, DWORD access, DWORD disposition, DWORD flags, Failure& why) {
  std::wstring wide;
  if (!widePath(path, wide, why)) return nullptr;
  HANDLE h = ::CreateFileW(wide.c_str(), access, shareAll, nullptr, disposition, flags, nullptr);
  if (h != INVALID_HANDLE_VALUE) return h;
  why = failureFromError(::GetLastError());
  // A folder opened without backup semantics is refused as access denied.
  if (why == Failure::accessDenied && !(flags & FILE_FLAG_BACKUP_SEMANTICS)) {
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      why = Failure::notRegular;
    }
  }
  return nullptr;
}

namespace {

// Failure::none when the open handle is a file or folder on a disk and no
// link; tells its attributes.
Failure checkNoLink(HANDLE handle, DWORD& attributes) {
  // A device (CON, NUL, COM1 hide behind any folder) or a pipe is no file.
  if (::GetFileType(handle) != FILE_TYPE_DISK) return Failure::notRegular;
  FILE_ATTRIBUTE_TAG_INFO data;
  if (!::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &data, sizeof data)) {
    return win32::failureFromError(::GetLastError());
  }
  attributes = data.FileAttributes;
  return win32::isLink(data.FileAttributes, data.ReparseTag) ? Failure::link : Failure::none;
}

HANDLE openRegular(std::string_view path, DWORD access, DWORD disposition, DWORD flags, Failure& why) {
  DWORD attributes = 0;
  win32::KernelHandle h(win32::openNoLink(path, access, disposition, flags, attributes, why));
  if (h && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    why = Failure::notRegular;
    return nullptr;
  }
  return h.release();
}

// The tag of a reparse point; unknownTag when it cannot be read.
DWORD reparseTag(HANDLE handle, DWORD attributes) {
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return win32::unknownTag;
  FILE_ATTRIBUTE_TAG_INFO data;
  if (!::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &data, sizeof data)) return win32::unknownTag;
  return data.ReparseTag;
}

}  // namespace

Failure win32::checkRegular(HANDLE handle) {
  DWORD attributes = 0;
  const Failure why = checkNoLink(handle, attributes);
  if (why == Failure::none && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return Failure::notRegular;
  return why;
}

HANDLE win32::openNoLink(std::string_view path, DWORD access, DWORD disposition, DWORD flags,
                         DWORD& attributes, Failure& why) {
  KernelHandle first(openPath(path, access, disposition, flags | FILE_FLAG_OPEN_REPARSE_POINT, why));
  if (!first) return nullptr;
  why = checkNoLink(first.get(), attributes);
  if (why != Failure::none) return nullptr;
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return first.release();
  // The second open may meet a link put at the name meanwhile and follow it;
  // the first handle, still open, keeps the file's identity from being
  // reused, so a match of identities proves the same file was reached.
  KernelHandle data(openPath(path, access, OPEN_EXISTING, flags, why));
  if (!data) return nullptr;
  const FileInfo seen = infoFromHandle(first.get());
  const FileInfo reached = infoFromHandle(data.get());
  if (seen.kind == Kind::missing || reached.kind == Kind::missing || reached.id != seen.id) {
    why = Failure::link;
    return nullptr;
  }
  return data.release();
}

HANDLE win32::openRegularForReading(std::string_view path, Failure& why) {
  // Backup semantics open a folder too, so that it is told apart from a file
  // that may not be read.
  return openRegular(path, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, why);
}

FileInfo win32::infoFromHandle(HANDLE handle, DWORD* attributes) {
  BY_HANDLE_FILE_INFORMATION data;
  if (!::GetFileInformationByHandle(handle, &data)) return {};
  if (attributes) *attributes = data.dwFileAttributes;
  FileInfo info;
  if (isLink(data.dwFileAttributes, reparseTag(handle, data.dwFileAttributes))) info.kind = Kind::link;
  else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) info.kind = Kind::folder;
  else if (::GetFileType(handle) == FILE_TYPE_DISK) info.kind = Kind::file;
  else info.kind = Kind::other;
  info.id = {data.dwVolumeSerialNumber,
             (std::uint64_t{data.nFileIndexHigh} << 32) | data.nFileIndexLow};
  info.size = static_cast<std::int64_t>((std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow);
  info.modified = static_cast<std::int64_t>((std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                                            data.ftLastWriteTime.dwLowDateTime);
  return info;
}

File::~File() { close(); }

File::File(File&& other) noexcept
    : handle_(other.handle_), path_(std::move(other.path_)), failure_(other.failure_) {
  other.handle_ = nullptr;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = other.handle_;
    path_ = std::move(other.path_);
    failure_ = other.failure_;
    other.handle_ = nullptr;
  }
  return *this;
}

Status File::openRead(std::string_view path) {
  close();
  if (Failure why = faults::shouldFail(Op::open, path); why != Failure::none) return fail(why);
  Failure why = Failure::none;
  handle_ = win32::openRegularForReading(path, why);
  if (!handle_) return fail(why);
  path_ = path;
  return success;
}

Status File::createNew(std::string_view path) {
  close();
  if (Failure why = faults::shouldFail(Op::create, path); why != Failure::none) return fail(why);
  // Without FILE_FLAG_OPEN_REPARSE_POINT a dangling link would be followed
  // and its target made; with it the link's own name counts as taken.
  Failure why = Failure::none;
  handle_ = win32::openPath(path, writeAccess, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, why);
  if (!handle_) return fail(why);
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
  // Append access without FILE_WRITE_DATA puts every write at the end, even
  // when another program appends to the same log meanwhile. A link planted
  // at the name is opened as itself, only to be refused unwritten.
  Failure why = Failure::none;
  handle_ = openRegular(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, why);
  if (!handle_) return fail(why);
  path_ = path;
  return success;
}

bool File::isOpen() const { return handle_ != nullptr; }

void File::close() {
  if (handle_) {
    // Nothing was promised about the bytes of a file closed unsynced; sync()
    // is where a failed write-back is reported.
    (void)::CloseHandle(native(handle_));
    handle_ = nullptr;
  }
  path_.clear();
}

std::int64_t File::read(void* buffer, std::size_t size) {
  if (!handle_) {
    failure_ = Failure::other;
    return -1;
  }
  const Failure injected = faults::shouldFail(Op::read, path_);
  const std::size_t want = injected != Failure::none ? size / 2 : size;
  auto* out = static_cast<unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < want) {
    DWORD got = 0;
    const DWORD chunk = static_cast<DWORD>(std::min(want - done, maxChunk));
    if (!::ReadFile(native(handle_), out + done, chunk, &got, nullptr)) {
      failure_ = win32::failureFromError(::GetLastError());
      return -1;
    }
    if (got == 0) break;
    done += got;
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
  if (!handle_) return fail(Failure::other);
  const Failure injected = faults::shouldFail(Op::write, path_);
  const std::size_t want = injected != Failure::none ? size / 2 : size;
  const auto* in = static_cast<const unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < want) {
    DWORD put = 0;
    const DWORD chunk = static_cast<DWORD>(std::min(want - done, maxChunk));
    if (!::WriteFile(native(handle_), in + done, chunk, &put, nullptr)) {
      return fail(win32::failureFromError(::GetLastError()));
    }
    if (put == 0) return fail(Failure::noSpace);
    done += put;
  }
  if (injected != Failure::none) return fail(injected);
  return success;
}

Status File::seek(std::int64_t offset, SeekFrom from) {
  if (!handle_) return fail(Failure::other);
  if (Failure why = faults::shouldFail(Op::seek, path_); why != Failure::none) return fail(why);
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  const DWORD method = from == SeekFrom::begin ? FILE_BEGIN : FILE_END;
  if (!::SetFilePointerEx(native(handle_), distance, nullptr, method)) {
    return fail(win32::failureFromError(::GetLastError()));
  }
  return success;
}

std::int64_t File::size() {
  if (!handle_) return -1;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(native(handle_), &size)) return -1;
  return size.QuadPart;
}

FileInfo File::info() {
  if (!handle_) return {};
  return win32::infoFromHandle(native(handle_));
}

Status File::sync() {
  if (!handle_) return fail(Failure::other);
  if (Failure why = faults::shouldFail(Op::sync, path_); why != Failure::none) return fail(why);
  if (!::FlushFileBuffers(native(handle_))) return fail(win32::failureFromError(::GetLastError()));
  return success;
}

FolderLock::~FolderLock() { release(); }

Status FolderLock::acquire(std::string_view folder) {
  if (handle_) return success;
  const std::string path = childPath(folder, "liedkorb.lock");
  if (Failure why = faults::shouldFail(Op::lock, path); why != Failure::none) return failedWith(why);
  std::wstring wide;
  Failure why = Failure::none;
  if (!win32::widePath(path, wide, why)) return failedWith(why);
  // No sharing at all: every other open of the file, from this process or
  // another, fails while it is held, and the system lets go of it however
  // the process ends.
  win32::KernelHandle h(::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!h) {
    const DWORD error = ::GetLastError();
    return failedWith(error == ERROR_SHARING_VIOLATION ? Failure::busy : win32::failureFromError(error));
  }
  // A lock file that is a reparse point but no link (in a cloud folder) is
  // held as it stands: no data of it is ever read or written.
  if (Failure irregular = win32::checkRegular(h.get()); irregular != Failure::none) {
    return failedWith(irregular);
  }
  handle_ = h.release();
  return success;
}

void FolderLock::release() {
  if (!handle_) return;
  // The lock file holds nothing, so a failed close loses nothing.
  (void)::CloseHandle(native(handle_));
  handle_ = nullptr;
}

bool FolderLock::held() const { return handle_ != nullptr; }

}  // namespace platform
