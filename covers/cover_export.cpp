#include "covers/cover_export.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/limits.h"
#include "common/paths.h"
#include "common/state.h"
#include "common/text.h"
#include "platform/platform.h"
#include "tags/id3v2_text.h"
#include "tags/pattern_search.h"

namespace {

// Only the head of the file is searched; a picture frame starts near the
// front of the tag, and the tag at the front of the file.
constexpr std::int64_t headSize = 1000000;

// An APIC frame that is the first frame of a tag at the start of the file has
// its MIME type at offset 21 and its description from offset 32 on; the
// picture follows the description's NUL, which must come by offset 248.
constexpr std::int64_t mimeOffset = 21;
constexpr std::int64_t descriptionStart = 32;
constexpr std::int64_t lastDescriptionNul = 248;

constexpr std::int64_t frameHeaderSize = 10;
// The JFIF marker stands six bytes after the JPEG's start-of-image marker.
constexpr std::int64_t jfifOffsetInJpeg = 6;
constexpr std::string_view pngSignature{"\x89PNG\r\n\x1A\n", 8};

struct Picture {
  std::int64_t start = 0;  // file offset of the picture's first byte
  std::int64_t end = 0;    // file offset just past it (the frame's end)
  std::string_view extension;
};

std::uint32_t frameSize(const unsigned char* head, std::int64_t headLength, std::int64_t frame) {
  const unsigned char* size = head + frame + 4;
  const int majorVersion = headLength >= 4 && findBytes(head, "ID3", 3) != nullptr ? head[3] : 0;
  // Some writers put plain sizes into version 4 tags; a byte with its top bit
  // set cannot be syncsafe, so such a size is read as a plain one.
  const bool syncsafeBytes = ((size[0] | size[1] | size[2] | size[3]) & 0x80) == 0;
  return frameContentSize(size, syncsafeBytes ? majorVersion : 0);
}

// Finds the picture of the first APIC frame in the head of a file of
// fileSize bytes. Every offset is checked against the head and the file
// before it is used.
bool locatePicture(const unsigned char* head, std::int64_t headLength, std::int64_t fileSize,
                   Picture& picture) {
  const unsigned char* apic = findBytes(head, "APIC", static_cast<std::int32_t>(headLength));
  if (apic == nullptr) return false;
  std::int64_t frame = apic - head;
  std::int64_t bodyStart = frame + frameHeaderSize;
  if (bodyStart > headLength) return false;
  std::int64_t frameEnd = bodyStart + frameSize(head, headLength, frame);
  if (frameEnd > fileSize) return false;

  std::int64_t nulSearchEnd = std::min(lastDescriptionNul + 1, headLength);
  std::int64_t pictureStart = -1;
  for (std::int64_t i = descriptionStart; i < nulSearchEnd; ++i) {
    if (head[i] == 0) {
      pictureStart = i + 1;
      break;
    }
  }
  if (pictureStart < 0) return false;

  // Only what the head holds of the frame can be searched; the markers stand
  // at the very start of a picture, so that is enough.
  std::int64_t searchEnd = std::min(frameEnd, headLength);
  if (searchEnd > bodyStart) {
    const unsigned char* jfif =
        findBytes(head + bodyStart, "JFIF", static_cast<std::int32_t>(searchEnd - bodyStart));
    if (jfif != nullptr) {
      std::int64_t start = (jfif - head) - jfifOffsetInJpeg;
      if (start < bodyStart) return false;
      picture = {start, frameEnd, "JPG"};
      return true;
    }
  }

  if (headLength < mimeOffset + 9 || findBytesNoCase(head + mimeOffset, "image/png", 9) == nullptr) {
    return false;
  }
  std::int64_t signatureFrom = std::max(pictureStart, bodyStart);
  if (signatureFrom >= searchEnd) return false;
  const unsigned char* signature = findBytes(head + signatureFrom, pngSignature,
                                             static_cast<std::int32_t>(searchEnd - signatureFrom));
  if (signature == nullptr) return false;
  picture = {signature - head, frameEnd, "PNG"};
  return true;
}

// Copies bytes [start, end) of source to outputPath, through the work
// buffer, replacing an earlier file of that name. The bytes go to a
// temporary file first, so that the picture appears whole or not at all, and
// a link planted at its name is replaced rather than written through.
bool writePicture(platform::File& source, const Picture& picture, const std::string& outputPath) {
  const PathParts parts = splitPath(outputPath);
  std::string temporary;
  platform::File output;
  if (!output.createTemporary(parts.drive + parts.dir, temporary)) return false;
  bool whole = static_cast<bool>(source.seek(picture.start, platform::SeekFrom::begin));
  std::int64_t remaining = picture.end - picture.start;
  while (whole && remaining > 0) {
    std::size_t piece =
        static_cast<std::size_t>(std::min<std::int64_t>(remaining, workBufferSize));
    whole = source.readExact(workBuffer.get(), piece) && output.write(workBuffer.get(), piece);
    remaining -= static_cast<std::int64_t>(piece);
  }
  output.close();
  // Only a regular file of that name is replaced: a folder stays.
  const platform::Kind standing = platform::fileInfo(outputPath).kind;
  whole = whole && (standing == platform::Kind::missing || standing == platform::Kind::file ||
                    standing == platform::Kind::link);
  if (whole) whole = static_cast<bool>(platform::replaceFile(temporary, outputPath));
  if (!whole) (void)platform::deleteFile(temporary);
  return whole;
}

}  // namespace

void exportCover(std::string_view sourcePath, std::string_view targetPath) {
  if (!workBuffer) return;
  platform::File file;
  if (!file.openRead(targetPath)) return;
  const std::int64_t headLength = file.read(workBuffer.get(), headSize);
  std::int64_t fileSize = file.size();
  if (headLength < 0 || fileSize < headLength) return;

  Picture picture;
  if (locatePicture(workBuffer.get(), headLength, fileSize, picture)) {
    PathParts target = splitPath(targetPath);
    std::string outputPath = mergePath(target.drive, target.dir, target.name, picture.extension);
    // A target that already carries the picture's extension would be
    // truncated by its own picture (names compare without case on Windows).
    std::string_view targetExtension = target.ext;
    if (!targetExtension.empty()) targetExtension.remove_prefix(1);
    bool wouldReplaceTarget = equalsNoCaseAscii(targetExtension, picture.extension);
    if (fitsPathLimit(outputPath) && !wouldReplaceTarget &&
        writePicture(file, picture, outputPath)) {
      return;
    }
  }
  file.close();
  findCoverFile(sourcePath, targetPath, settings.coverPfad);
}
