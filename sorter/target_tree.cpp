#include "sorter/target_tree.h"

namespace {

// Both separators go on every platform, so that one library gives the same
// tree on Windows and elsewhere.
std::string withoutSeparators(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '/' || c == '\\') c = '-';
  }
  return out;
}

}  // namespace

std::optional<std::string> folderNameFromTag(std::string_view text) {
  if (text.empty() || text.find('\0') != std::string_view::npos) return std::nullopt;
  if (text.find_first_not_of('.') == std::string_view::npos) return std::nullopt;
  return withoutSeparators(text);
}

std::string fileNameFromTag(std::string_view text) {
  std::string out = withoutSeparators(text);
  for (char& c : out) {
    if (c == '\0') c = '-';
  }
  return out;
}
