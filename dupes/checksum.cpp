#include "dupes/checksum.h"

#include <cstdint>

#include "common/limits.h"
#include "common/state.h"
#include "platform/platform.h"

std::uint32_t lastByteCount = 0;

bool fileChecksum(std::string_view path, std::uint32_t& checksum) {
  if (!checksumBuffer) return false;
  platform::File file;
  if (!file.openRead(path)) return false;
  std::uint32_t crc = 0;
  std::uint32_t byteCount = 0;
  for (;;) {
    std::int64_t delivered = file.read(checksumBuffer.get(), checksumChunkSize);
    // A failed read leaves no trustworthy checksum: the bytes it may have
    // put into the buffer are not counted and the file gets no pair.
    if (delivered < 0) return false;
    if (delivered == 0) break;
    crc = crc32Update(crc, checksumBuffer.get(), static_cast<std::size_t>(delivered));
    // Files of 4 GiB and more count modulo 2^32, like the table's size field.
    byteCount += static_cast<std::uint32_t>(delivered);
  }
  lastByteCount = byteCount;
  checksum = crc;
  return true;
}
