// Folders, copies, renames and the program's own places on Windows.
#include <windows.h>

#include <algorithm>
#include <string>

#include "common/paths.h"
#include "common/text.h"
#include "platform/faults.h"
#include "platform/listing_order.h"
#include "platform/platform.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace platform {
namespace {

using faults::Op;
using win32::toUtf8;
using win32::toWide;

std::string configOverride;

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

// Writes the first half of source to a new target, as a copy that broke
// off would have, so that the clean-up after a failed copy is exercised.
// True when it made the target.
bool copyHalfway(const std::wstring& source, const std::wstring& target) {
  win32::KernelHandle in(::CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!in) return false;
  win32::KernelHandle out(::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out) return false;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(in.get(), &size)) return true;
  std::int64_t left = size.QuadPart / 2;
  char buffer[1 << 14];
  while (left > 0) {
    DWORD got = 0, put = 0;
    DWORD chunk = static_cast<DWORD>(std::min<std::int64_t>(left, sizeof buffer));
    if (!::ReadFile(in.get(), buffer, chunk, &got, nullptr) || got == 0) break;
    if (!::WriteFile(out.get(), buffer, got, &put, nullptr) || put != got) break;
    left -= got;
  }
  return true;
}

void removeBrokenCopy(const std::wstring& target) {
  DWORD attributes = ::GetFileAttributesW(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  // CopyFileW takes the source's attributes over, read-only included.
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    ::SetFileAttributesW(target.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
  }
  ::DeleteFileW(target.c_str());
}

}  // namespace

bool findEntries(std::string_view folder, std::string_view pattern, std::vector<DirEntry>& entries) {
  entries.clear();
  if (faults::shouldFail(Op::find, folder)) return false;
  std::wstring search;
  if (folder.empty() || !toWide(joinPath(folder, "*"), search)) return false;
  // Every name is matched here rather than by the system, which would also
  // match the generated 8.3 short names ("*.MP3" finding "Song.mp3x").
  WIN32_FIND_DATAW data;
  win32::FindHandle find(::FindFirstFileExW(search.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                            nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!find) return false;
  do {
    std::string name = toUtf8(data.cFileName);
    if (!matchesWildcard(name, pattern)) continue;
    DirEntry out;
    out.name = std::move(name);
    bool folderBit = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // A junction or folder symbolic link may lead anywhere, also back up the
    // tree; walks must not enter it.
    bool reparse = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    out.isFolder = folderBit && !reparse;
    out.isFolderLink = folderBit && reparse;
    entries.push_back(std::move(out));
  } while (::FindNextFileW(find.get(), &data));
  if (::GetLastError() != ERROR_NO_MORE_FILES) {
    entries.clear();
    return false;
  }
  sortEntries(entries);
  return true;
}

bool copyFileNoOverwrite(std::string_view source, std::string_view target) {
  bool fail = faults::shouldFail(Op::copy, target);
  std::wstring src, dst;
  if (source.empty() || target.empty() || !toWide(source, src) || !toWide(target, dst)) return false;
  // An existing target is refused before anything starts, so that the
  // clean-up below can only ever remove a copy of our own making.
  if (::GetFileAttributesW(dst.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  if (fail) {
    if (copyHalfway(src, dst)) removeBrokenCopy(dst);
    return false;
  }
  if (::CopyFileW(src.c_str(), dst.c_str(), TRUE)) return true;
  DWORD error = ::GetLastError();
  // Someone else may have made the target meanwhile; that one stays.
  if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) removeBrokenCopy(dst);
  return false;
}

bool moveFileNoReplace(std::string_view from, std::string_view to) {
  if (faults::shouldFail(Op::move, to)) return false;
  std::wstring a, b;
  if (from.empty() || to.empty() || !toWide(from, a) || !toWide(to, b)) return false;
  return ::MoveFileW(a.c_str(), b.c_str()) != 0;
}

bool replaceFile(std::string_view from, std::string_view to) {
  if (faults::shouldFail(Op::replace, to)) return false;
  std::wstring a, b;
  if (from.empty() || to.empty() || !toWide(from, a) || !toWide(to, b)) return false;
  return ::MoveFileExW(a.c_str(), b.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool deleteFile(std::string_view path) {
  if (faults::shouldFail(Op::remove, path)) return false;
  std::wstring wide;
  if (path.empty() || !toWide(path, wide)) return false;
  return ::DeleteFileW(wide.c_str()) != 0;
}

bool makeFolder(std::string_view path) {
  if (faults::shouldFail(Op::makeFolder, path)) return false;
  std::wstring wide;
  if (path.empty() || !toWide(path, wide)) return false;
  return ::CreateDirectoryW(wide.c_str(), nullptr) != 0;
}

bool pathExists(std::string_view path) { return attributesOf(path) != INVALID_FILE_ATTRIBUTES; }

bool isFolder(std::string_view path) {
  DWORD attributes = attributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool clearReadOnly(std::string_view path) {
  if (faults::shouldFail(Op::clearReadOnly, path)) return false;
  std::wstring wide;
  if (path.empty() || !toWide(path, wide)) return false;
  DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (!(attributes & FILE_ATTRIBUTE_READONLY)) return true;
  return ::SetFileAttributesW(wide.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY}) != 0;
}

bool canonicalPath(std::string_view path, std::string& result) {
  std::wstring wide;
  if (path.empty() || !toWide(path, wide)) return false;
  // Opening the path itself resolves links; backup semantics let a folder open.
  win32::KernelHandle h(::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
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
