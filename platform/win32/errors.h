#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace platform::win32 {

// The reason behind a GetLastError value.
Failure failureFromError(DWORD error);
inline Status statusFromError(DWORD error) { return failedWith(failureFromError(error)); }
inline Status lastError() { return statusFromError(::GetLastError()); }

// The UTF-16 form of a path for the API. False (why set) for an empty path
// or text that is not UTF-8: such a name must never reach the system as
// some other name.
bool widePath(std::string_view path, std::wstring& wide, Failure& why);

// CreateFileW on a UTF-8 path, every kind of sharing allowed; nullptr with
// why set when it fails.
HANDLE openPath(std::string_view path, DWORD access, DWORD disposition, DWORD flags, Failure& why);

// The tag of a reparse point that could not be read (Wine lists a Unix
// symbolic link with it; no real reparse point has it).
inline constexpr DWORD unknownTag = 0;

// A reparse point is a link when its tag sends the open to another name
// (symbolic links, junctions, mount points) or is unknown: such a point is
// never followed. Every other one (a cloud placeholder, a deduplicated or
// compressed file) is a file or folder holding data of its own.
constexpr bool isLink(DWORD attributes, DWORD tag) {
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && (tag == unknownTag || IsReparseTagNameSurrogate(tag));
}

// CreateFileW without passing through a link in the last component: a link
// is refused (Failure::link), so are a device and a pipe. A reparse point
// that is no link is opened a second time the ordinary way, so that its
// filter delivers the data (a cloud placeholder is fetched only then).
// Tells the attributes of what was opened.
HANDLE openNoLink(std::string_view path, DWORD access, DWORD disposition, DWORD flags, DWORD& attributes,
                  Failure& why);

// openNoLink for reading a regular file: a folder is refused too.
HANDLE openRegularForReading(std::string_view path, Failure& why);

// Failure::none when the open handle is a regular file: no link, no folder,
// no device or pipe.
Failure checkRegular(HANDLE handle);

// The kind, identity, size and last write time of an open handle; kind
// missing when it cannot be told. With attributes, also the handle's
// attributes.
FileInfo infoFromHandle(HANDLE handle, DWORD* attributes = nullptr);

// Every file may be read, written, renamed or deleted by others while we
// hold it, as on POSIX: without FILE_SHARE_DELETE a scan would block the
// user from tidying up files in a folder it merely reads.
inline constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace platform::win32
