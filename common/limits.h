#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/facts.h"

// Longest path the platform accepts (platform/facts.h). A path beyond it is
// refused, never cut and used (see fitsPathLimit).
inline constexpr std::size_t maxPathLength = platform::maxPathLength;
inline constexpr char pathSeparator = platform::pathSeparator;

// A tag field holds at most this many bytes of UTF-8.
inline constexpr std::size_t tagFieldMax = 255;

inline constexpr std::size_t workBufferSize = 0x100000;
inline constexpr std::size_t checksumChunkSize = 0x40000;
inline constexpr std::uint32_t duplicateCapacity = 200000;
