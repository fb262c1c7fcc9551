#pragma once
#include <sys/stat.h>

#include "platform/platform.h"

namespace platform::posix {

// The reason behind an errno value.
Failure failureFromErrno(int error);
inline Status statusFromErrno(int error) { return failedWith(failureFromErrno(error)); }

// Opens a regular file for reading and returns its descriptor, or -1 with
// why set. Anything else is refused without waiting: a named pipe called
// x.mp3 would otherwise block the scan until some writer opened it, and a
// link, a folder or a device is no file to read either.
int openRegularForReading(std::string_view path, Failure& why);

// open() retried on EINTR, close-on-exec.
int openPath(const char* path, int flags, unsigned mode = 0666);
int openPathAt(int folder, const char* name, int flags, unsigned mode = 0666);

// The file's kind, identity, size and modification time.
FileInfo infoFromStat(const struct stat& st);

}  // namespace platform::posix
