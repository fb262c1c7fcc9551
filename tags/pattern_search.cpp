#include "tags/pattern_search.h"

#include <cstddef>

namespace {

unsigned char foldAscii(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 0x20) : c; }

template <bool noCase>
const unsigned char* search(const unsigned char* data, std::string_view pattern, std::int32_t bound) {
  // An empty pattern would "match" anywhere and lead a caller to read behind
  // it; no caller means that, so it finds nothing.
  if (data == nullptr || pattern.empty() || bound < 0) return nullptr;
  const std::size_t length = pattern.size();
  const std::size_t limit = static_cast<std::size_t>(bound);
  if (length > limit) return nullptr;
  for (std::size_t i = 0; i <= limit - length; ++i) {
    std::size_t k = 0;
    for (; k < length; ++k) {
      unsigned char a = data[i + k];
      unsigned char b = static_cast<unsigned char>(pattern[k]);
      if constexpr (noCase) {
        a = foldAscii(a);
        b = foldAscii(b);
      }
      if (a != b) break;
    }
    if (k == length) return data + i;
  }
  return nullptr;
}

}  // namespace

const unsigned char* findBytes(const unsigned char* data, std::string_view pattern, std::int32_t bound) {
  return search<false>(data, pattern, bound);
}

const unsigned char* findBytesNoCase(const unsigned char* data, std::string_view pattern,
                                     std::int32_t bound) {
  return search<true>(data, pattern, bound);
}
