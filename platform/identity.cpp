#include <string>

#include "platform/platform.h"

namespace platform {

bool sameFile(std::string_view a, std::string_view b) {
  const FileInfo first = fileInfo(a);
  const FileInfo second = fileInfo(b);
  if (first.kind == Kind::missing || second.kind == Kind::missing) return false;
  if (first.id == second.id) return true;
  // Some file systems (FUSE drivers of FAT and exFAT among them) give each
  // spelling of a name an identity of its own; the stored spelling tells.
  std::string canonicalA, canonicalB;
  return canonicalPath(a, canonicalA) && canonicalPath(b, canonicalB) && canonicalA == canonicalB;
}

}  // namespace platform
