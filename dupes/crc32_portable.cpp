#include <array>
#include <cstddef>
#include <cstdint>

#include "dupes/checksum.h"

namespace {

using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

// tables[0] is the byte-at-a-time table of the reflected polynomial
// 0xEDB88320; tables[k][n] is the register contribution of byte n when k more
// zero bytes follow it, which lets one pass consume eight bytes at once.
constexpr CrcTables makeTables() {
  CrcTables tables{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t r = n;
    for (int bit = 0; bit < 8; ++bit) r = (r & 1) ? (r >> 1) ^ 0xEDB88320u : r >> 1;
    tables[0][n] = r;
  }
  for (std::size_t k = 1; k < 8; ++k) {
    for (std::size_t n = 0; n < 256; ++n) {
      std::uint32_t previous = tables[k - 1][n];
      tables[k][n] = (previous >> 8) ^ tables[0][previous & 0xFF];
    }
  }
  return tables;
}

constexpr CrcTables tables = makeTables();
static_assert(tables[0][1] == 0x77073096u);
static_assert(tables[0][255] == 0x2D02EF8Du);

// Bytes are combined explicitly so that the result does not depend on the
// host's byte order; compilers turn this into one load on little-endian
// machines.
inline std::uint32_t load32le(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

std::uint32_t crc32Portable(std::uint32_t crc, const void* data, std::size_t size) {
  const auto* p = static_cast<const unsigned char*>(data);
  std::uint32_t r = ~crc;
  while (size >= 8) {
    std::uint32_t lo = load32le(p) ^ r;
    std::uint32_t hi = load32le(p + 4);
    r = tables[7][lo & 0xFF] ^ tables[6][(lo >> 8) & 0xFF] ^ tables[5][(lo >> 16) & 0xFF] ^
        tables[4][lo >> 24] ^ tables[3][hi & 0xFF] ^ tables[2][(hi >> 8) & 0xFF] ^
        tables[1][(hi >> 16) & 0xFF] ^ tables[0][hi >> 24];
    p += 8;
    size -= 8;
  }
  while (size-- > 0) r = tables[0][(r ^ *p++) & 0xFF] ^ (r >> 8);
  return ~r;
}
