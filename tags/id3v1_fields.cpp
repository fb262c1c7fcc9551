#include "tags/id3v1_fields.h"

#include "common/text.h"

namespace {

// A field ends at its first NUL. Tools that pad with spaces instead fill it
// to the brim, so trailing spaces are cut only from a field without a NUL.
std::string_view piece(std::string_view field) {
  std::size_t nul = field.find('\0');
  if (nul != std::string_view::npos) return field.substr(0, nul);
  std::size_t end = field.size();
  while (end > 0 && field[end - 1] == ' ') --end;
  return field.substr(0, end);
}

}  // namespace

std::string id3v1Text(std::string_view block, std::string_view extended, Id3v1Offsets offsets) {
  if (block.size() < id3v1BlockSize || extended.size() < extendedBlockSize) return {};
  std::string_view field = block.substr(offsets.field, 30);
  // A field that starts with a space counts as unset, continuation and all.
  if (field[0] == ' ') return {};
  std::string bytes(piece(field));
  bytes += piece(extended.substr(offsets.continuation, 60));
  // ID3v1 has no encoding byte; ISO-8859-1 is what it was defined with.
  return latin1ToUtf8(bytes);
}

std::string id3v1Year(std::string_view block) {
  if (block.size() < id3v1BlockSize) return {};
  std::string_view field = block.substr(id3v1YearOffset, 4);
  if (field[0] == ' ') return {};
  std::size_t nul = field.find('\0');
  return latin1ToUtf8(nul == std::string_view::npos ? field : field.substr(0, nul));
}
