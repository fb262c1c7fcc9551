#include "tags/id3v2_text.h"

#include "common/limits.h"
#include "common/text.h"

namespace {

constexpr char32_t byteOrderMark = 0xFEFF;

// Collects decoded characters. Full stops are left out because dots in
// folder names do more harm than good ("R.E.M." and "..." albums); a text
// ends at its first NUL, so a second value or padding never joins the first.
class TextSink {
 public:
  // False once the text has ended or holds enough to fill a field.
  bool put(char32_t cp) {
    if (cp == 0) return false;
    if (cp != U'.') appendUtf8(text_, cp);
    return text_.size() <= tagFieldMax;
  }
  std::string finish() {
    std::string out;
    boundedCopy(out, text_, tagFieldMax);
    return out;
  }

 private:
  std::string text_;
};

void decodeLatin1(std::string_view bytes, TextSink& sink) {
  for (char c : bytes) {
    if (!sink.put(static_cast<unsigned char>(c))) return;
  }
}

void decodeUtf16(std::string_view bytes, bool bigEndian, bool skipMark, TextSink& sink) {
  auto unitAt = [&](std::size_t i) -> char32_t {
    unsigned char a = static_cast<unsigned char>(bytes[i]);
    unsigned char b = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (char32_t{a} << 8 | b) : (char32_t{b} << 8 | a);
  };
  std::size_t i = 0;
  // An odd last byte is half a character and is left out.
  while (i + 1 < bytes.size()) {
    char32_t cp = unitAt(i);
    i += 2;
    if (skipMark && i == 2 && cp == byteOrderMark) continue;
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      char32_t low = i + 1 < bytes.size() ? unitAt(i) : 0;
      if (low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      } else {
        cp = replacementCharacter;
      }
    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
      cp = replacementCharacter;
    }
    if (!sink.put(cp)) return;
  }
}

void decodeUtf8Lenient(std::string_view bytes, TextSink& sink) {
  std::size_t pos = 0;
  bool first = true;
  while (pos < bytes.size()) {
    char32_t cp;
    // A byte that is not part of valid UTF-8 was most likely written by a
    // tool that meant ISO-8859-1 while claiming UTF-8.
    if (!decodeUtf8(bytes, pos, cp)) cp = static_cast<unsigned char>(bytes[pos++]);
    if (first && cp == byteOrderMark) {
      first = false;
      continue;
    }
    first = false;
    if (!sink.put(cp)) return;
  }
}

}  // namespace

std::uint32_t frameContentSize(const unsigned char* sizeBytes, int majorVersion) {
  std::uint32_t size = 0;
  for (int i = 0; i < 4; ++i) {
    size = majorVersion == 4 ? (size << 7) | (sizeBytes[i] & 0x7Fu) : (size << 8) | sizeBytes[i];
  }
  return size;
}

std::string decodeTextFrame(std::string_view content) {
  TextSink sink;
  if (content.empty()) return sink.finish();
  const unsigned char encoding = static_cast<unsigned char>(content[0]);
  const std::string_view text = content.substr(1);
  switch (encoding) {
    case 0:
      decodeLatin1(text, sink);
      break;
    case 1: {
      // The byte-order mark says the order; without one, little-endian, as
      // the tools that forget it run on little-endian machines.
      bool bigEndian = text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFE &&
                       static_cast<unsigned char>(text[1]) == 0xFF;
      decodeUtf16(text, bigEndian, true, sink);
      break;
    }
    case 2:
      decodeUtf16(text, true, true, sink);
      break;
    case 3:
      decodeUtf8Lenient(text, sink);
      break;
    default:
      // Not an encoding we know: the content is taken as ISO-8859-1 as it
      // stands, the odd byte included, rather than guessed at.
      decodeLatin1(content, sink);
      break;
  }
  return sink.finish();
}
