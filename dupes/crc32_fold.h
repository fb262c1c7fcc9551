#pragma once
#include <cstddef>
#include <cstdint>

// The carry-less-multiply CRC-32 paths. Each takes and returns the CRC the
// way crc32Update does and handles any length (short inputs and the last few
// bytes go through the tables). On processors other than x86 the cpuHas...
// answers are false and the update functions are the portable path.
namespace crc32_fold {

bool cpuHasPclmul();
bool cpuHasVpclmul256();
bool cpuHasVpclmul512();

std::uint32_t updatePclmul(std::uint32_t crc, const unsigned char* data, std::size_t size);
std::uint32_t updateVpclmul256(std::uint32_t crc, const unsigned char* data, std::size_t size);
std::uint32_t updateVpclmul512(std::uint32_t crc, const unsigned char* data, std::size_t size);

}  // namespace crc32_fold
