#include "common/paths.h"

#include "common/text.h"

bool isPathSeparator(char c) { return c == '/' || (platform::slashAndBackslashSeparate && c == '\\'); }

namespace {

// How much of path is its drive: "C:" or the "\\server\share" of a network
// path, where paths have drives at all.
std::size_t driveLength(std::string_view path) {
  if (!platform::pathsHaveDrives || path.size() < 2) return 0;
  if (path[1] == ':' && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
    return 2;
  }
  if (!isPathSeparator(path[0]) || !isPathSeparator(path[1])) return 0;
  std::size_t pos = 2;
  int separators = 0;
  while (pos < path.size()) {
    if (isPathSeparator(path[pos]) && ++separators == 2) break;
    ++pos;
  }
  return pos;
}

}  // namespace

PathParts splitPath(std::string_view path) {
  PathParts parts;
  std::string_view rest = path;
  const std::size_t drive = driveLength(rest);
  parts.drive = rest.substr(0, drive);
  rest.remove_prefix(drive);
  std::size_t lastSep = std::string_view::npos;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (isPathSeparator(rest[i])) lastSep = i;
  }
  std::string_view file = rest;
  if (lastSep != std::string_view::npos) {
    parts.dir = rest.substr(0, lastSep + 1);
    file = rest.substr(lastSep + 1);
  }
  std::size_t dot = file.rfind('.');
  if (dot == std::string_view::npos) {
    parts.name = file;
  } else {
    parts.name = file.substr(0, dot);
    parts.ext = file.substr(dot);
  }
  return parts;
}

std::string mergePath(std::string_view drive, std::string_view dir, std::string_view name,
                      std::string_view ext) {
  std::string out;
  out.reserve(drive.size() + dir.size() + name.size() + ext.size() + 2);
  out += drive;
  out += dir;
  if (!dir.empty() && !isPathSeparator(dir.back())) out += pathSeparator;
  out += name;
  if (!ext.empty()) {
    if (ext.front() != '.') out += '.';
    out += ext;
  }
  return out;
}

std::string joinPath(std::string_view folder, std::string_view name) {
  std::string out;
  out.reserve(folder.size() + 1 + name.size());
  out += folder;
  out += pathSeparator;
  out += name;
  return out;
}

std::string childPath(std::string_view folder, std::string_view name) {
  if (!folder.empty() && isPathSeparator(folder.back())) {
    std::string out(folder);
    out += name;
    return out;
  }
  return joinPath(folder, name);
}

std::size_t platformPathLength(std::string_view path) {
  if (!platform::pathLengthInUtf16Units) return path.size();
  std::size_t units = 0;
  std::size_t pos = 0;
  char32_t cp;
  while (pos < path.size()) {
    if (!decodeUtf8(path, pos, cp)) {
      ++pos;  // counted like the replacement character it would become
      cp = 0;
    }
    units += cp >= 0x10000 ? 2 : 1;
  }
  return units;
}

std::string_view cutToPathLimit(std::string_view text) {
  if (!platform::pathLengthInUtf16Units) return cutAtCharBoundary(text, maxPathLength);
  std::size_t units = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t next = pos;
    char32_t cp = 0;
    if (!decodeUtf8(text, next, cp)) next = pos + 1;
    units += cp >= 0x10000 ? 2 : 1;
    if (units > maxPathLength) break;
    pos = next;
  }
  return text.substr(0, pos);
}
