#pragma once
#include <cstddef>
#include <cstdint>

// Longest path the platform accepts, in bytes of UTF-8 (Windows: MAX_PATH
// less the terminating NUL, counted in characters by the API, but every
// character we build paths from is at least one byte, so a byte bound is the
// safe side). A path beyond it is refused, never cut and used.
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
