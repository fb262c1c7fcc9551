// Folders, copies, renames and the program's own places on Windows.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "common/paths.h"
#include "common/text.h"
#include "platform/backend.h"
#include "platform/faults.h"
#include "platform/listing_order.h"
#include "platform/platform.h"
#include "platform/win32/errors.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace platform {
namespace {

using faults::Op;
using win32::toUtf8;
using win32::toWide;

std::string configOverride;
bool durable = true;

DWORD attributesOf(std::string_view path) {
  std::wstring wide;
  if (path.empty() || !toWide(path, wide)) return INVALID_FILE_ATTRIBUTES;
  return ::GetFileAttributesW(wide.c_str());
}

bool makeFolders(const std::string& path) {
  if (path.empty()) return false;
  DWORD attributes = attributesOf(path);
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  PathParts parts = splitPath(path);
  std::string parent = parts.drive + parts.dir;
  while (!parent.empty() && isPathSeparator(parent.back())) parent.pop_back();
  // Stop at the drive ("C:") or a share; those are never made.
  if (parent.size() > parts.drive.size() && !makeFolders(parent)) return false;
  std::wstring wide;
  if (!toWide(path, wide)) return false;
  return ::CreateDirectoryW(wide.c_str(), nullptr) != 0 || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

// The folder that holds path, without a trailing separator unless it is a
// drive's root ("C:\"), where the separator makes it the root.
std::string folderOf(std::string_view path) {
  const PathParts parts = splitPath(path);
  std::string folder = parts.drive + parts.dir;
  if (folder.empty()) return ".";
  if (folder.size() > parts.drive.size() + 1 && isPathSeparator(folder.back())) folder.pop_back();
  return folder;
}

// What stands at path, a link in its last component not followed; no access
// right is asked for, so a file that others hold open is told as well.
FileInfo infoAt(std::string_view path) {
  Failure why = Failure::none;
  win32::KernelHandle h(win32::openPath(path, 0, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, why));
  if (!h) return {};
  DWORD opened = 0;
  FileInfo info = win32::infoFromHandle(h.get(), &opened);
  // Wine opens a Unix symbolic link to a folder as that folder, whatever the
  // flags say; only the attributes of the path show the link, with no tag.
  if (info.kind == Kind::folder && !(opened & FILE_ATTRIBUTE_REPARSE_POINT)) {
    const DWORD attributes = attributesOf(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && win32::isLink(attributes, win32::unknownTag)) {
      info.kind = Kind::link;
    }
  }
  return info;
}

// Copies limit bytes of in to out. A source that ends early changed meanwhile.
Status copyBytes(HANDLE in, HANDLE out, std::int64_t limit) {
  constexpr DWORD bufferSize = 1 << 18;
  static thread_local std::unique_ptr<char[]> buffer(new char[bufferSize]);
  while (limit > 0) {
    DWORD got = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::int64_t>(limit, bufferSize));
    if (!::ReadFile(in, buffer.get(), chunk, &got, nullptr)) return win32::lastError();
    if (got == 0) return failedWith(Failure::changed);
    DWORD put = 0;
    if (!::WriteFile(out, buffer.get(), got, &put, nullptr)) return win32::lastError();
    if (put != got) return failedWith(Failure::noSpace);
    limit -= got;
  }
  return success;
}

// The finished copy gets the source's last write time, as a copy made by
// the Explorer does, and plain attributes: the temporary file was hidden,
// and a read-only copy could not be synced later (FlushFileBuffers needs
// write access), so its source could never be deleted.
Status finishCopy(HANDLE out, std::int64_t modified) {
  FILE_BASIC_INFO basic{};
  basic.LastWriteTime.QuadPart = modified;
  basic.FileAttributes = FILE_ATTRIBUTE_ARCHIVE;
  if (::SetFileInformationByHandle(out, FileBasicInfo, &basic, sizeof basic)) return success;
  // A file system that keeps no such time still holds a whole copy; one that
  // cannot unhide it would show the user a file that looks lost.
  basic.LastWriteTime.QuadPart = 0;
  if (::SetFileInformationByHandle(out, FileBasicInfo, &basic, sizeof basic)) return success;
  return win32::lastError();
}

}  // namespace

std::uint32_t backend::currentProcessId() { return static_cast<std::uint32_t>(::GetCurrentProcessId()); }

bool backend::processIsRunning(std::uint32_t pid) {
  win32::KernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  // No such process: the id is invalid. Any other refusal (another user's
  // process) cannot tell, and a file that may be in use is left alone.
  if (!process) return ::GetLastError() != ERROR_INVALID_PARAMETER;
  DWORD code = 0;
  if (!::GetExitCodeProcess(process.get(), &code)) return true;
  return code == STILL_ACTIVE;
}

FileInfo fileInfo(std::string_view path) {
  if (faults::shouldFail(Op::query, path) != Failure::none) return {};
  return infoAt(path);
}

bool pathExists(std::string_view path) {
  if (faults::shouldFail(Op::query, path) != Failure::none) return false;
  // The attributes come from the folder's entry: a link stands there as
  // itself, and a file that no one may open (a system file in use) as well.
  return attributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool isFolder(std::string_view path) {
  if (faults::shouldFail(Op::query, path) != Failure::none) return false;
  // Opened without FILE_FLAG_OPEN_REPARSE_POINT: a junction the user names
  // as a folder leads to one.
  Failure why = Failure::none;
  win32::KernelHandle h(win32::openPath(path, 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, why));
  if (h) return win32::infoFromHandle(h.get()).kind == Kind::folder;
  // The attributes carry no tag: any reparse point counts as a link here.
  const DWORD attributes = attributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !win32::isLink(attributes, win32::unknownTag);
}

Status findEntries(std::string_view folder, std::string_view pattern, std::vector<DirEntry>& entries) {
  entries.clear();
  if (Failure why = faults::shouldFail(Op::find, folder); why != Failure::none) return failedWith(why);
  std::wstring search;
  Failure why = Failure::none;
  if (!win32::widePath(folder.empty() ? folder : joinPath(folder, "*"), search, why)) return failedWith(why);
  // Every name is matched here rather than by the system, which would also
  // match the generated 8.3 short names ("*.MP3" finding "Song.mp3x").
  WIN32_FIND_DATAW data;
  win32::FindHandle find(::FindFirstFileExW(search.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                            nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!find) {
    const DWORD error = ::GetLastError();
    // A drive's root lists no "." and "..": when it is empty, nothing matches.
    if (error == ERROR_FILE_NOT_FOUND) return success;
    return win32::statusFromError(error);
  }
  do {
    std::string name = toUtf8(data.cFileName);
    if (!matchesWildcard(name, pattern)) continue;
    DirEntry out;
    out.name = std::move(name);
    const bool folderBit = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // A junction or folder symbolic link may lead anywhere, also back up the
    // tree; walks must not enter it. A file link is no file to read. The
    // entry carries the tag of a reparse point in dwReserved0.
    const bool link = win32::isLink(data.dwFileAttributes, data.dwReserved0);
    out.isFolder = folderBit && !link;
    out.isFolderLink = folderBit && link;
    out.isLink = !folderBit && link;
    entries.push_back(std::move(out));
  } while (::FindNextFileW(find.get(), &data));
  if (const DWORD error = ::GetLastError(); error != ERROR_NO_MORE_FILES) {
    entries.clear();
    return win32::statusFromError(error);
  }
  sortEntries(entries);
  return success;
}

Status copyFileNoOverwrite(std::string_view source, std::string_view target, FileInfo* sourceSeen) {
  const Failure injected = faults::shouldFail(Op::copy, target, source);
  Failure why = Failure::none;
  win32::KernelHandle in(win32::openRegularForReading(source, why));
  if (!in) return failedWith(why);
  const FileInfo before = win32::infoFromHandle(in.get());
  if (before.kind != Kind::file) return win32::lastError();
  std::wstring wideTarget;
  if (!win32::widePath(target, wideTarget, why)) return failedWith(why);
  // Refused before anything is made, so that a taken name (in any letter
  // case, as a link too) is reported as such.
  if (::GetFileAttributesW(wideTarget.c_str()) != INVALID_FILE_ATTRIBUTES) return failedWith(Failure::exists);

  const std::string folder = folderOf(target);
  std::string temporary;
  HANDLE made = nullptr;
  for (int attempt = 0; attempt < 100 && !made; ++attempt) {
    temporary = temporaryNameFor(folder);
    made = win32::openPath(temporary, GENERIC_WRITE | FILE_READ_ATTRIBUTES, CREATE_NEW,
                           FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_SEQUENTIAL_SCAN, why);
    if (!made && why != Failure::exists) return failedWith(why);
  }
  win32::KernelHandle out(made);
  if (!out) return failedWith(Failure::exists);
  std::wstring wideTemporary;
  (void)toWide(temporary, wideTemporary);  // it was just created under this name

  // From here on a failure must not leave the temporary file behind.
  const std::int64_t half = before.size / 2;
  Status copied = copyBytes(in.get(), out.get(), half);
  if (copied) faults::copyMidway(source);
  if (copied && injected != Failure::none) copied = failedWith(injected);
  if (copied) copied = copyBytes(in.get(), out.get(), before.size - half);
  if (copied) {
    // A file still being written (a download, a rip) is not taken: what was
    // copied may lack its end.
    const FileInfo after = win32::infoFromHandle(in.get());
    if (after.kind != Kind::file) {
      copied = win32::lastError();
    } else if (after.size != before.size || after.modified != before.modified) {
      copied = failedWith(Failure::changed);
    }
  }
  if (copied) copied = finishCopy(out.get(), before.modified);
  // Write-back errors of network file systems show up at the close.
  if (!out.close() && copied) copied = win32::lastError();
  if (copied && !::MoveFileExW(wideTemporary.c_str(), wideTarget.c_str(), 0)) copied = win32::lastError();
  if (!copied) {
    // Best effort: a leftover is removed by the next run through this folder.
    (void)::DeleteFileW(wideTemporary.c_str());
    return copied;
  }
  if (sourceSeen) *sourceSeen = before;
  return success;
}

Status moveFileNoReplace(std::string_view from, std::string_view to) {
  if (Failure why = faults::shouldFail(Op::move, to, from); why != Failure::none) return failedWith(why);
  std::wstring a, b;
  Failure why = Failure::none;
  if (!win32::widePath(from, a, why) || !win32::widePath(to, b, why)) return failedWith(why);
  if (!::MoveFileExW(a.c_str(), b.c_str(), 0)) return win32::lastError();
  return success;
}

Status replaceFile(std::string_view from, std::string_view to) {
  if (Failure why = faults::shouldFail(Op::replace, to, from); why != Failure::none) return failedWith(why);
  std::wstring a, b;
  Failure why = Failure::none;
  if (!win32::widePath(from, a, why) || !win32::widePath(to, b, why)) return failedWith(why);
  // A rename replaces the name's entry: a link standing there goes, what it
  // leads to stays untouched.
  if (!::MoveFileExW(a.c_str(), b.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return win32::lastError();
  }
  return success;
}

Status deleteFile(std::string_view path) {
  if (Failure why = faults::shouldFail(Op::remove, path); why != Failure::none) return failedWith(why);
  std::wstring wide;
  Failure why = Failure::none;
  if (!win32::widePath(path, wide, why)) return failedWith(why);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return win32::lastError();
  // A folder, and a link to one too (RemoveDirectoryW would be needed).
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return failedWith(Failure::notRegular);
  // DeleteFileW removes a file link itself, never what it leads to.
  if (!::DeleteFileW(wide.c_str())) return win32::lastError();
  return success;
}

Status makeFolder(std::string_view path) {
  if (Failure why = faults::shouldFail(Op::makeFolder, path); why != Failure::none) return failedWith(why);
  std::wstring wide;
  Failure why = Failure::none;
  if (!win32::widePath(path, wide, why)) return failedWith(why);
  if (!::CreateDirectoryW(wide.c_str(), nullptr)) return win32::lastError();
  return success;
}

Status clearReadOnly(std::string_view path) {
  if (Failure why = faults::shouldFail(Op::clearReadOnly, path); why != Failure::none) {
    return failedWith(why);
  }
  // The attributes are read and changed through one handle on the name
  // itself, so a link put there meanwhile is seen, never changed through.
  Failure why = Failure::none;
  DWORD attributes = 0;
  win32::KernelHandle h(win32::openNoLink(path, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, OPEN_EXISTING,
                                          FILE_FLAG_BACKUP_SEMANTICS, attributes, why));
  if (!h) return failedWith(why);
  if (!(attributes & FILE_ATTRIBUTE_READONLY)) return success;
  // A cloud file's pinning ("always keep on this device") is the user's too.
  constexpr DWORD attributePinned = 0x00080000, attributeUnpinned = 0x00100000;  // MinGW lacks them
  constexpr DWORD settable = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                             FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                             FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | attributePinned | attributeUnpinned;
  FILE_BASIC_INFO basic{};  // zero times: left as they are
  basic.FileAttributes = attributes & settable;
  if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  if (!::SetFileInformationByHandle(h.get(), FileBasicInfo, &basic, sizeof basic)) return win32::lastError();
  return success;
}

bool canonicalPath(std::string_view path, std::string& result) {
  if (faults::shouldFail(Op::query, path) != Failure::none) return false;
  // Opening the path itself resolves links; backup semantics let a folder open.
  Failure why = Failure::none;
  win32::KernelHandle h(win32::openPath(path, 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, why));
  if (!h) return false;
  std::wstring buffer(MAX_PATH, L'\0');
  while (true) {
    DWORD n = ::GetFinalPathNameByHandleW(h.get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                          FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return false;
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    buffer.resize(n + 1);
  }
  std::wstring_view view = buffer;
  if (view.starts_with(L"\\\\?\\UNC\\")) {
    result = "\\\\" + toUtf8(view.substr(8));
  } else if (view.starts_with(L"\\\\?\\")) {
    result = toUtf8(view.substr(4));
  } else {
    result = toUtf8(view);
  }
  return !result.empty();
}

// FlushFileBuffers needs write access, to a folder's handle as well.
Status syncFile(std::string_view path) {
  if (Failure why = faults::shouldFail(Op::sync, path); why != Failure::none) return failedWith(why);
  if (!durable) return success;
  Failure why = Failure::none;
  win32::KernelHandle h(
      win32::openPath(path, GENERIC_WRITE, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, why));
  if (!h) return failedWith(why);
  if (!::FlushFileBuffers(h.get())) return win32::lastError();
  return success;
}

Status syncFolder(std::string_view path) {
  if (Failure why = faults::shouldFail(Op::sync, path); why != Failure::none) return failedWith(why);
  if (!durable) return success;
  Failure why = Failure::none;
  win32::KernelHandle h(win32::openPath(path, GENERIC_WRITE, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, why));
  if (!h) return failedWith(why);
  if (::FlushFileBuffers(h.get())) return success;
  // File systems that cannot flush a folder keep their entries in order by
  // themselves (NTFS logs them).
  const DWORD error = ::GetLastError();
  if (error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_PARAMETER) {
    return success;
  }
  return win32::statusFromError(error);
}

void setDurability(bool on) { durable = on; }
bool durability() { return durable; }


std::string programPath() {
  std::wstring buffer(MAX_PATH, L'\0');
  while (true) {
    DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      return toUtf8(buffer);
    }
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

std::string homeFolder() {
  wchar_t buffer[MAX_PATH];
  DWORD n = ::GetEnvironmentVariableW(L"USERPROFILE", buffer, MAX_PATH);
  if (n > 0 && n < MAX_PATH) return toUtf8(std::wstring_view(buffer, n));
  return "C:\\";
}

std::string configFolder() {
  if (!configOverride.empty()) {
    return makeFolders(configOverride) ? configOverride : std::string();
  }
  // Beside the program: the INI, LOG and CRC.BIN files travel with it.
  PathParts parts = splitPath(programPath());
  std::string folder = parts.drive + parts.dir;
  if (folder.empty()) return {};
  // Keep the separator of a drive's root ("C:\"); "C:" alone would mean the
  // current folder of drive C.
  if (folder.size() > parts.drive.size() + 1 && isPathSeparator(folder.back())) folder.pop_back();
  return folder;
}

void setConfigFolder(std::string_view folder) { configOverride = folder; }

}  // namespace platform
