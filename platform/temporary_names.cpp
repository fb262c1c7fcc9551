// Names of our temporary files, and the clean-up after a killed run.
#include <charconv>
#include <cstdint>
#include <random>
#include <string>

#include "common/paths.h"
#include "platform/backend.h"
#include "platform/platform.h"

namespace platform {
namespace {

constexpr std::string_view prefix = ".liedkorb-";
constexpr std::string_view suffix = ".tmp";

// The process id that wrote a temporary name, or 0 when name is none of ours.
std::uint32_t writerOf(std::string_view name) {
  if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) ||
      !name.ends_with(suffix)) {
    return 0;
  }
  std::string_view middle = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  std::uint32_t pid = 0;
  auto [end, error] = std::from_chars(middle.data(), middle.data() + middle.size(), pid);
  if (error != std::errc() || end == middle.data() || end == middle.data() + middle.size() || *end != '-') {
    return 0;
  }
  for (const char* p = end + 1; p < middle.data() + middle.size(); ++p) {
    if (!((*p >= '0' && *p <= '9') || (*p >= 'a' && *p <= 'f'))) return 0;
  }
  return pid;
}

}  // namespace

bool isTemporaryName(std::string_view name) { return writerOf(name) != 0; }

std::string temporaryNameFor(std::string_view folder) {
  static std::mt19937_64 random{std::random_device{}()};
  char hex[17];
  auto [end, error] = std::to_chars(hex, hex + 16, random(), 16);
  (void)error;  // 16 hex digits always fit
  std::string name(prefix);
  name += std::to_string(backend::currentProcessId());
  name += '-';
  name.append(hex, end);
  name += suffix;
  return childPath(folder, name);
}

void removeLeftoverTemporaries(std::string_view folder) {
  std::vector<DirEntry> entries;
  if (!findEntries(folder, ".liedkorb-*.tmp", entries)) return;
  for (const DirEntry& entry : entries) {
    const std::uint32_t pid = writerOf(entry.name);
    if (pid == 0 || entry.isFolder || entry.isFolderLink || entry.isLink) continue;
    // A run that is still going (in this process too) may be writing it.
    if (backend::processIsRunning(pid)) continue;
    const std::string path = childPath(folder, entry.name);
    if (fileInfo(path).kind != Kind::file) continue;
    // Best effort: what cannot be removed now is tried again next time.
    (void)deleteFile(path);
  }
}

}  // namespace platform
