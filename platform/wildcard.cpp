#include <algorithm>
#include <string_view>

#include "common/text.h"
#include "platform/listing_order.h"
#include "platform/platform.h"

namespace platform {
namespace {

// '*' and '?' with ASCII letters folded; iterative, backtracking only to the
// last star, so long names cannot make it slow.
bool globMatch(std::string_view name, std::string_view pattern) {
  std::size_t n = 0, p = 0;
  std::size_t starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || asciiUpper(pattern[p]) == asciiUpper(name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool matchesWildcard(std::string_view name, std::string_view pattern) {
  if (pattern == "*.*" || pattern == "*") return true;
  if (globMatch(name, pattern)) return true;
  // Windows lets "Name.*" match a name without any dot too.
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
      name.find('.') == std::string_view::npos) {
    return globMatch(name, pattern.substr(0, pattern.size() - 2));
  }
  return false;
}

void sortEntries(std::vector<DirEntry>& entries) {
  std::sort(entries.begin(), entries.end(), [](const DirEntry& a, const DirEntry& b) {
    int c = compareNoCaseAscii(a.name, b.name);
    return c != 0 ? c < 0 : a.name < b.name;
  });
}

}  // namespace platform
