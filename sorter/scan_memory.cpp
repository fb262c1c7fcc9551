#include "sorter/scan_memory.h"

#include <set>
#include <unordered_set>

namespace scan_memory {
namespace {

using Ids = std::unordered_set<platform::FileId, platform::FileIdHash>;

Ids filledFolders;
Ids copies;
Ids walkedFolders;
std::set<std::string, std::less<>> usedFolders;
std::set<std::string, std::less<>> reportedLinks;

bool insertIfNew(std::set<std::string, std::less<>>& set, std::string_view text) {
  if (set.find(text) != set.end()) return false;
  set.emplace(text);
  return true;
}

}  // namespace

void forget() {
  filledFolders.clear();
  copies.clear();
  walkedFolders.clear();
  usedFolders.clear();
  reportedLinks.clear();
}

void noteFilledFolder(const platform::FileId& folder) { filledFolders.insert(folder); }
bool isFilledFolder(const platform::FileId& folder) { return filledFolders.count(folder) != 0; }

void noteCopy(const platform::FileId& copy) { copies.insert(copy); }
bool isCopy(const platform::FileId& file) { return copies.count(file) != 0; }

bool firstWalk(const platform::FileId& folder) { return walkedFolders.insert(folder).second; }
bool firstUse(std::string_view folder) { return insertIfNew(usedFolders, folder); }
bool firstReport(std::string_view path) { return insertIfNew(reportedLinks, path); }

}  // namespace scan_memory
