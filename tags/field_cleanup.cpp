#include "tags/field_cleanup.h"

#include <array>
#include <utility>

#include "common/state.h"

namespace {

struct CleanupPair {
  std::string_view find;
  std::string_view replacement;
};

// The order matters: a pass that drops a leading character can expose a new
// leading character to the passes after it ("\/x" loses both marks).
constexpr std::array<CleanupPair, 8> cleanupPairs{{
    {"\\", "-"},
    {"/", "-"},
    {"*", "-"},
    {"?", "-"},
    {":", "-"},
    {".", "-"},
    {"'", "-"},
    {"\"", "-"},
}};

void cleanField(std::string& field) {
  for (const CleanupPair& pair : cleanupPairs) replaceAll(field, pair.find, pair.replacement);
  trimTrailingSpaces(field);
}

}  // namespace

void replaceAll(std::string& text, std::string_view find, std::string_view replacement) {
  if (text.empty() || find.empty() || text.find(find) == std::string::npos) return;
  std::string out;
  out.reserve(text.size());
  std::size_t read = 0;
  for (;;) {
    std::size_t at = text.find(find, read);
    if (at == std::string::npos) {
      out.append(text, read, std::string::npos);
      break;
    }
    // An occurrence right at the reading position (the start of the text, or
    // straight after the previous one) is dropped: a run becomes one
    // replacement, a leading run nothing at all.
    if (at > read) {
      out.append(text, read, at - read);
      out += replacement;
    }
    read = at + find.size();
  }
  text = std::move(out);
}

void trimTrailingSpaces(std::string& text) {
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == ' ') --end;
  text.resize(end);
}

void cleanTagFields() {
  cleanField(tagInfo.artist);
  cleanField(tagInfo.album);
  cleanField(tagInfo.title);
}
