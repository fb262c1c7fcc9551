#pragma once
#include <cstddef>
#include <string_view>

// What differs between the platforms, as named facts. Outside the backends
// this is the one place that asks which platform the program is built for;
// portable code branches on these facts, never on the platform itself.
namespace platform {

#ifdef _WIN32
inline constexpr bool windowsPaths = true;
#else
inline constexpr bool windowsPaths = false;
#endif

// The separator the program writes; on Windows '/' is read as one too.
inline constexpr char pathSeparator = windowsPaths ? '\\' : '/';
inline constexpr bool slashAndBackslashSeparate = windowsPaths;
// Paths may start with a drive ("C:") or a share ("\\server\share").
inline constexpr bool pathsHaveDrives = windowsPaths;

// Longest path the platform accepts: on Windows MAX_PATH less the
// terminating NUL, counted in UTF-16 units as the API counts them; on POSIX
// PATH_MAX less the NUL, in bytes.
inline constexpr std::size_t maxPathLength = windowsPaths ? 259 : 4095;
inline constexpr bool pathLengthInUtf16Units = windowsPaths;

// The line end of the text files the program writes (the log, new INI files).
inline constexpr std::string_view textLineEnd = windowsPaths ? "\r\n" : "\n";

}  // namespace platform
