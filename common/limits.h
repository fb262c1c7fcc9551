#pragma once
#include <cstddef>
#include <cstdint>

// Longest path the platform accepts: on Windows MAX_PATH less the
// terminating NUL, counted in UTF-16 units as the API counts them; on POSIX
// PATH_MAX less the NUL, in bytes. A path beyond it is refused, never cut and
// used (see fitsPathLimit).
#ifdef _WIN32
inline constexpr std::size_t maxPathLength = 259;
inline constexpr char pathSeparator = '\\';
#else
inline constexpr std::size_t maxPathLength = 4095;
inline constexpr char pathSeparator = '/';
#endif

// A tag field holds at most this many bytes of UTF-8.
inline constexpr std::size_t tagFieldMax = 255;

inline constexpr std::size_t workBufferSize = 0x100000;
inline constexpr std::size_t checksumChunkSize = 0x40000;
inline constexpr std::uint32_t duplicateCapacity = 200000;
