#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Builds MP3 test files byte by byte: ID3v2 tags of any version and text
// encoding, APIC frames, ID3v1 blocks with the "TAG+" block, and audio-like
// filler that holds no ASCII (so no frame id or marker appears in it by
// chance).
namespace id3 {

enum class Encoding : std::uint8_t { latin1 = 0, utf16 = 1, utf16be = 2, utf8 = 3 };

// The body of a text frame: encoding byte, then the UTF-8 text converted to
// the encoding (latin1: characters above U+00FF become '?'). utf16 writes a
// byte-order mark, little-endian unless bigEndian. With terminator, the
// encoding's NUL (one or two bytes) follows.
std::string textBody(Encoding encoding, std::string_view utf8Text, bool terminator = false,
                     bool bigEndian = false);

// The body of an APIC frame: encoding byte, MIME type, NUL, picture type,
// description (encoded like textBody, with its terminator), picture bytes.
std::string apicBody(std::string_view mime, std::string_view picture,
                     std::string_view description = "", Encoding encoding = Encoding::latin1,
                     std::uint8_t pictureType = 3);

// One frame: 4-byte id, size (syncsafe for version 4, plain big-endian
// otherwise), two flag bytes, body.
std::string frame(int version, std::string_view id, std::string_view body);
// A frame with a size field of your choosing, whatever the body's length.
std::string frameWithSize(std::string_view id, std::uint32_t sizeField, std::string_view body);

// A whole tag: "ID3", version, revision 0, flags 0, syncsafe size of the
// frames plus padding zero bytes.
std::string tag(int version, const std::vector<std::string>& frames, std::size_t padding = 0);

// The 128-byte ID3v1 block. Fields are raw bytes, cut or NUL-padded.
std::string id3v1(std::string_view title, std::string_view artist, std::string_view album,
                  std::string_view year, std::uint8_t genre, std::string_view comment = "");
// The 227-byte extended block "TAG+" with its three continuations.
std::string tagPlus(std::string_view title, std::string_view artist, std::string_view album);

// Deterministic filler bytes in 0x80..0xFF, starting with an MPEG frame sync.
std::string audio(std::size_t size, std::uint32_t seed = 1);

// A JPEG-looking picture of about size bytes: SOI, a JFIF APP0 segment,
// filler, EOI. With jfif false an Exif APP1 segment takes the JFIF's place.
std::string jpegPicture(std::size_t size, std::uint32_t seed = 7, bool jfif = true);
// A PNG-looking picture: the signature, an IHDR chunk, filler, IEND.
std::string pngPicture(std::size_t size, std::uint32_t seed = 9);

// A convenient whole file: tag (if any frames) + audio up to totalSize bytes
// + optional trailer (an ID3v1 block, say).
std::string mp3File(const std::string& tagBytes, std::size_t totalSize,
                    const std::string& trailer = "", std::uint32_t seed = 1);

}  // namespace id3
