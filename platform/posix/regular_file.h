#pragma once
#include <string_view>

namespace platform::posix {

// Opens a regular file for reading and returns its descriptor, or -1. Anything
// else is refused without waiting: a named pipe called x.mp3 would otherwise
// block the scan until some writer opened it, and a folder or a device is no
// file to read either.
int openRegularForReading(std::string_view path);

}  // namespace platform::posix
