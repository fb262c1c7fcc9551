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

// Opens a regular file for reading without passing through a reparse point
// in the last component; a folder, a device, a pipe or a link is refused.
HANDLE openRegularForReading(std::string_view path, Failure& why);

// Failure::none when the open handle is a regular file (neither a reparse
// point nor a folder nor a device or pipe).
Failure checkRegular(HANDLE handle);

// The kind, identity, size and last write time of an open handle; kind
// missing when it cannot be told.
FileInfo infoFromHandle(HANDLE handle);

// Every file may be read, written, renamed or deleted by others while we
// hold it, as on POSIX: without FILE_SHARE_DELETE a scan would block the
// user from tidying up files in a folder it merely reads.
inline constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace platform::win32
