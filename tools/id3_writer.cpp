#include "tools/id3_writer.h"

#include "common/text.h"

namespace id3 {
namespace {

void appendUtf16(std::string& out, char32_t cp, bool bigEndian) {
  auto unit = [&](std::uint16_t u) {
    char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
    if (bigEndian) {
      out += hi;
      out += lo;
    } else {
      out += lo;
      out += hi;
    }
  };
  if (cp >= 0x10000) {
    cp -= 0x10000;
    unit(static_cast<std::uint16_t>(0xD800 + (cp >> 10)));
    unit(static_cast<std::uint16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    unit(static_cast<std::uint16_t>(cp));
  }
}

std::string encodeText(Encoding encoding, std::string_view utf8Text, bool terminator, bool bigEndian) {
  std::string out;
  std::size_t pos = 0;
  char32_t cp;
  switch (encoding) {
    case Encoding::latin1:
      while (pos < utf8Text.size()) {
        if (!decodeUtf8(utf8Text, pos, cp)) {
          cp = static_cast<unsigned char>(utf8Text[pos++]);
        }
        out += static_cast<char>(cp <= 0xFF ? cp : '?');
      }
      if (terminator) out += '\0';
      break;
    case Encoding::utf16:
    case Encoding::utf16be: {
      bool be = encoding == Encoding::utf16be || bigEndian;
      if (encoding == Encoding::utf16) out += be ? std::string("\xFE\xFF", 2) : std::string("\xFF\xFE", 2);
      while (pos < utf8Text.size()) {
        if (!decodeUtf8(utf8Text, pos, cp)) cp = static_cast<unsigned char>(utf8Text[pos++]);
        appendUtf16(out, cp, be);
      }
      if (terminator) out.append(2, '\0');
      break;
    }
    case Encoding::utf8:
      out = utf8Text;
      if (terminator) out += '\0';
      break;
  }
  return out;
}

std::uint32_t nextRandom(std::uint32_t& state) {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return state;
}

void putBigEndian(std::string& out, std::uint32_t value) {
  out += static_cast<char>(value >> 24);
  out += static_cast<char>(value >> 16);
  out += static_cast<char>(value >> 8);
  out += static_cast<char>(value);
}

void putSyncsafe(std::string& out, std::uint32_t value) {
  out += static_cast<char>((value >> 21) & 0x7F);
  out += static_cast<char>((value >> 14) & 0x7F);
  out += static_cast<char>((value >> 7) & 0x7F);
  out += static_cast<char>(value & 0x7F);
}

std::string field(std::string_view bytes, std::size_t width) {
  std::string out(bytes.substr(0, width));
  out.resize(width, '\0');
  return out;
}

}  // namespace

std::string textBody(Encoding encoding, std::string_view utf8Text, bool terminator, bool bigEndian) {
  std::string out(1, static_cast<char>(encoding));
  out += encodeText(encoding, utf8Text, terminator, bigEndian);
  return out;
}

std::string apicBody(std::string_view mime, std::string_view picture, std::string_view description,
                     Encoding encoding, std::uint8_t pictureType) {
  std::string out(1, static_cast<char>(encoding));
  out += mime;
  out += '\0';
  out += static_cast<char>(pictureType);
  out += encodeText(encoding, description, true, false);
  out += picture;
  return out;
}

std::string frame(int version, std::string_view id, std::string_view body) {
  std::string out(id);
  if (version == 4) {
    putSyncsafe(out, static_cast<std::uint32_t>(body.size()));
  } else {
    putBigEndian(out, static_cast<std::uint32_t>(body.size()));
  }
  out.append(2, '\0');
  out += body;
  return out;
}

std::string frameWithSize(std::string_view id, std::uint32_t sizeField, std::string_view body) {
  std::string out(id);
  putBigEndian(out, sizeField);
  out.append(2, '\0');
  out += body;
  return out;
}

std::string tag(int version, const std::vector<std::string>& frames, std::size_t padding) {
  std::string body;
  for (const std::string& f : frames) body += f;
  body.append(padding, '\0');
  std::string out = "ID3";
  out += static_cast<char>(version);
  out += '\0';
  out += '\0';
  putSyncsafe(out, static_cast<std::uint32_t>(body.size()));
  return out + body;
}

std::string id3v1(std::string_view title, std::string_view artist, std::string_view album,
                  std::string_view year, std::uint8_t genre, std::string_view comment) {
  std::string out = "TAG";
  out += field(title, 30);
  out += field(artist, 30);
  out += field(album, 30);
  out += field(year, 4);
  out += field(comment, 30);
  out += static_cast<char>(genre);
  return out;
}

std::string tagPlus(std::string_view title, std::string_view artist, std::string_view album) {
  std::string out = "TAG+";
  out += field(title, 60);
  out += field(artist, 60);
  out += field(album, 60);
  out.append(43, '\0');
  return out;
}

std::string audio(std::size_t size, std::uint32_t seed) {
  std::string out;
  out.reserve(size);
  std::uint32_t state = seed ? seed : 1;
  if (size >= 2) {
    out += '\xFF';
    out += '\xFB';
  }
  while (out.size() < size) out += static_cast<char>(0x80 | (nextRandom(state) & 0x7F));
  out.resize(size);
  return out;
}

std::string jpegPicture(std::size_t size, std::uint32_t seed, bool jfif) {
  std::string out("\xFF\xD8", 2);
  if (jfif) {
    out += std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
  } else {
    out += std::string("\xFF\xE1\x00\x10" "Exif\x00\x00MM\x00\x2A\x00\x00\x00\x08", 18);
  }
  std::size_t fill = size > out.size() + 2 ? size - out.size() - 2 : 0;
  out += audio(fill, seed).substr(0, fill);
  out += "\xFF\xD9";
  return out;
}

std::string pngPicture(std::size_t size, std::uint32_t seed) {
  std::string out("\x89PNG\r\n\x1A\n", 8);
  out += std::string("\x00\x00\x00\x0DIHDR\x00\x00\x00\x10\x00\x00\x00\x10\x08\x02\x00\x00\x00\x90\x91\x68\x36", 25);
  std::size_t tail = 12;
  std::size_t fill = size > out.size() + tail ? size - out.size() - tail : 0;
  out += audio(fill, seed).substr(0, fill);
  out += std::string("\x00\x00\x00\x00IEND\xAE\x42\x60\x82", 12);
  return out;
}

std::string mp3File(const std::string& tagBytes, std::size_t totalSize, const std::string& trailer,
                    std::uint32_t seed) {
  std::string out = tagBytes;
  std::size_t fixed = out.size() + trailer.size();
  if (totalSize > fixed) out += audio(totalSize - fixed, seed);
  out += trailer;
  return out;
}

}  // namespace id3
