#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

// Bytes read by the last fileChecksum that opened its file.
extern std::uint32_t lastByteCount;

// CRC-32 (reflected, polynomial 0xEDB88320) of a whole file, read in chunks
// of checksumChunkSize into checksumBuffer; sets lastByteCount. Returns false
// when the file cannot be opened, a read fails, or there is no buffer: then
// there is no checksum and lastByteCount is left as it was.
bool fileChecksum(std::string_view path, std::uint32_t& checksum);

// Continues a CRC-32 over more bytes. Start with crc = 0 for the first bytes
// (the pre- and post-inversion are done inside), so crc32Update(0, p, n) is the
// CRC-32 of those n bytes and chunks may be fed one after another.
std::uint32_t crc32Update(std::uint32_t crc, const void* data, std::size_t size);
// The portable table-driven path, the reference for the fast one.
std::uint32_t crc32Portable(std::uint32_t crc, const void* data, std::size_t size);
// True when crc32Update uses a carry-less-multiply path on this processor.
bool crc32HasFastPath();

// The ways crc32Update can compute, for tests and benchmarks that compare
// them. crc32Update takes the fastest one the processor has.
enum class Crc32Path {
  portable,     // slicing-by-8 tables
  pclmul,       // carry-less multiply on 128-bit registers
  vpclmul256,   // carry-less multiply on 256-bit registers (AVX2)
  vpclmul512,   // carry-less multiply on 512-bit registers (AVX-512)
};
bool crc32PathAvailable(Crc32Path path);
// Like crc32Update, over the given path; a path the processor lacks falls
// back to the portable one.
std::uint32_t crc32With(Crc32Path path, std::uint32_t crc, const void* data, std::size_t size);
