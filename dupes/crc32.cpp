#include <cstddef>
#include <cstdint>

#include "dupes/checksum.h"
#include "dupes/crc32_fold.h"

namespace {

using UpdateFunction = std::uint32_t (*)(std::uint32_t, const unsigned char*, std::size_t);

std::uint32_t updatePortable(std::uint32_t crc, const unsigned char* data, std::size_t size) {
  return crc32Portable(crc, data, size);
}

Crc32Path fastestPath() {
  if (crc32_fold::cpuHasVpclmul512()) return Crc32Path::vpclmul512;
  if (crc32_fold::cpuHasVpclmul256()) return Crc32Path::vpclmul256;
  if (crc32_fold::cpuHasPclmul()) return Crc32Path::pclmul;
  return Crc32Path::portable;
}

UpdateFunction functionOf(Crc32Path path) {
  switch (path) {
    case Crc32Path::pclmul: return crc32_fold::updatePclmul;
    case Crc32Path::vpclmul256: return crc32_fold::updateVpclmul256;
    case Crc32Path::vpclmul512: return crc32_fold::updateVpclmul512;
    case Crc32Path::portable: break;
  }
  return updatePortable;
}

// Chosen once; the processor does not change under a running program.
UpdateFunction chosenUpdate() {
  static const UpdateFunction chosen = functionOf(fastestPath());
  return chosen;
}

}  // namespace

std::uint32_t crc32Update(std::uint32_t crc, const void* data, std::size_t size) {
  return chosenUpdate()(crc, static_cast<const unsigned char*>(data), size);
}

bool crc32HasFastPath() { return fastestPath() != Crc32Path::portable; }

bool crc32PathAvailable(Crc32Path path) {
  switch (path) {
    case Crc32Path::portable: return true;
    case Crc32Path::pclmul: return crc32_fold::cpuHasPclmul();
    case Crc32Path::vpclmul256: return crc32_fold::cpuHasVpclmul256();
    case Crc32Path::vpclmul512: return crc32_fold::cpuHasVpclmul512();
  }
  return false;
}

std::uint32_t crc32With(Crc32Path path, std::uint32_t crc, const void* data, std::size_t size) {
  UpdateFunction update = crc32PathAvailable(path) ? functionOf(path) : updatePortable;
  return update(crc, static_cast<const unsigned char*>(data), size);
}
