// Saving state files so that no crash or failure leaves a worse one.
#include <string>

#include "common/paths.h"
#include "platform/platform.h"

namespace platform {

Status saveFileAtomically(std::string_view path, std::string_view bytes) {
  const PathParts parts = splitPath(path);
  std::string folder = parts.drive + parts.dir;
  if (folder.empty()) folder.push_back('.');
  std::string temporary;
  File file;
  if (Status made = file.createTemporary(folder, temporary); !made) return made;
  Status written = file.write(bytes.data(), bytes.size());
  // The new bytes must be on the disk before the rename makes them the file:
  // a power cut after it must not find an empty one.
  if (written) written = file.sync();
  file.close();
  if (written) written = replaceFile(temporary, path);
  if (!written) {
    (void)deleteFile(temporary);  // best effort: a leftover is removed by the next start
    return written;
  }
  // The rename itself reaches the disk with the folder. Failing that, the
  // file is saved all the same, as far as this program can tell.
  (void)syncFolder(folder);
  return success;
}

Status keepAside(std::string_view path, std::string_view suffix, std::string& keptAs) {
  for (int n = 1; n < 1000; ++n) {
    std::string candidate(path);
    candidate += suffix;
    if (n > 1) {
      candidate += '-';
      candidate += std::to_string(n);
    }
    Status moved = moveFileNoReplace(path, candidate);
    if (moved) {
      keptAs = candidate;
      return moved;
    }
    if (moved.failure != Failure::exists) return moved;
  }
  return failedWith(Failure::exists);
}

}  // namespace platform
