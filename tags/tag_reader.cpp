#include "tags/tag_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "common/controls.h"
#include "common/limits.h"
#include "common/shell.h"
#include "common/state.h"
#include "platform/platform.h"
#include "tags/field_cleanup.h"
#include "tags/genre_table.h"
#include "tags/id3v1_fields.h"
#include "tags/id3v2_text.h"
#include "tags/pattern_search.h"

namespace {

// How much of the head of a file is searched for ID3v2 frames. A tag that
// reaches further (a large cover picture before the text frames) is seen only
// this far.
constexpr std::size_t headWindowSize = 100000;
static_assert(headWindowSize <= workBufferSize);

constexpr std::size_t frameHeaderSize = 10;

struct TextFrame {
  std::string_view id;
  std::string TagInfo::*field;
  int controlId;
};

constexpr std::array<TextFrame, 5> textFrames{{
    {"TPE1", &TagInfo::artist, control::artist},
    {"TALB", &TagInfo::album, control::album},
    {"TIT2", &TagInfo::title, control::title},
    {"TYER", &TagInfo::year, control::year},
    {"TCON", &TagInfo::genre, control::genre},
}};

void clearFields() {
  for (const TextFrame& frame : textFrames) {
    setControlText(frame.controlId, "");
    (tagInfo.*frame.field).clear();
  }
}

// The frames are not walked: each identifier is taken where it first occurs
// in the window, even inside an earlier frame's content, so that libraries
// sorted before keep sorting the same way. Returns true when any of the five
// was found.
bool readId3v2(const unsigned char* head, std::size_t length) {
  const int majorVersion = length > 3 ? head[3] : 0;
  bool found = false;
  for (const TextFrame& frame : textFrames) {
    std::string& field = tagInfo.*frame.field;
    const unsigned char* at = findBytes(head, frame.id, static_cast<std::int32_t>(length));
    if (at != nullptr) {
      found = true;
      const std::size_t start = static_cast<std::size_t>(at - head);
      // A frame cut by the end of the window gives what the window holds of
      // it; a header cut off gives an empty text.
      if (length - start >= frameHeaderSize) {
        const std::size_t available = length - start - frameHeaderSize;
        const std::size_t size = std::min<std::size_t>(frameContentSize(at + 4, majorVersion), available);
        field = decodeTextFrame(
            std::string_view(reinterpret_cast<const char*>(at + frameHeaderSize), size));
      }
    }
    setControlText(frame.controlId, field);
  }
  return found;
}

bool readTail(platform::File& file, std::int64_t offsetFromEnd, char* buffer, std::size_t size) {
  return file.seek(-offsetFromEnd, platform::SeekFrom::end) && file.readExact(buffer, size);
}

// The ID3v1 block at the end of the file, with the "TAG+" block before it.
bool readId3v1(platform::File& file) {
  const std::int64_t fileSize = file.size();
  if (fileSize < static_cast<std::int64_t>(id3v1BlockSize)) return false;

  std::array<char, extendedBlockSize> extended;
  const bool haveExtended =
      fileSize >= static_cast<std::int64_t>(id3v1BlockSize + extendedBlockSize) &&
      readTail(file, id3v1BlockSize + extendedBlockSize, extended.data(), extended.size()) &&
      std::memcmp(extended.data(), "TAG+", 4) == 0;
  // Without the block its continuations read as spaces, which come out empty.
  if (!haveExtended) extended.fill(' ');

  std::array<char, id3v1BlockSize> block;
  if (!readTail(file, id3v1BlockSize, block.data(), block.size())) return false;
  if (std::memcmp(block.data(), "TAG", 3) != 0) return false;

  const std::string_view blockText(block.data(), block.size());
  const std::string_view extendedText(extended.data(), extended.size());
  tagInfo.title = id3v1Text(blockText, extendedText, id3v1Title);
  setControlText(control::title, tagInfo.title);
  tagInfo.artist = id3v1Text(blockText, extendedText, id3v1Artist);
  setControlText(control::artist, tagInfo.artist);
  tagInfo.album = id3v1Text(blockText, extendedText, id3v1Album);
  setControlText(control::album, tagInfo.album);
  tagInfo.year = id3v1Year(blockText);
  setControlText(control::year, tagInfo.year);
  tagInfo.genre = std::string(genreName(static_cast<unsigned char>(block[id3v1GenreOffset])));
  setControlText(control::genre, tagInfo.genre);
  return true;
}

}  // namespace

bool readTag(std::string_view path) {
  clearFields();
  if (!workBuffer) return false;

  platform::File file;
  if (!file.openRead(path)) return false;
  unsigned char* head = workBuffer.get();
  // One read fills the window; a file shorter than the window is read whole.
  const std::int64_t headLength = file.read(head, headWindowSize);
  if (headLength < 0) return false;
  const std::size_t length = static_cast<std::size_t>(headLength);

  bool tagFound = false;
  if (findBytes(head, "ID3", static_cast<std::int32_t>(std::min<std::size_t>(length, 3)))) {
    tagFound = readId3v2(head, length);
  }
  if (!tagFound) tagFound = readId3v1(file);
  file.close();

  // The page keeps showing the texts as read; only the fields are made fit
  // for file names.
  cleanTagFields();
  return tagFound;
}
