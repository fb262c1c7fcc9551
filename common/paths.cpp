#include "common/paths.h"

#include "common/text.h"

bool isPathSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

PathParts splitPath(std::string_view path) {
  PathParts parts;
  std::string_view rest = path;
#ifdef _WIN32
  if (rest.size() >= 2 && rest[1] == ':' &&
      ((rest[0] >= 'A' && rest[0] <= 'Z') || (rest[0] >= 'a' && rest[0] <= 'z'))) {
    parts.drive = rest.substr(0, 2);
    rest.remove_prefix(2);
  } else if (rest.size() >= 2 && isPathSeparator(rest[0]) && isPathSeparator(rest[1])) {
    // \\server\share counts as the drive of a network path.
    std::size_t pos = 2;
    int separators = 0;
    while (pos < rest.size()) {
      if (isPathSeparator(rest[pos]) && ++separators == 2) break;
      ++pos;
    }
    parts.drive = rest.substr(0, pos);
    rest.remove_prefix(pos);
  }
#endif
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
#ifdef _WIN32
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
#else
  return path.size();
#endif
}

std::string_view cutToPathLimit(std::string_view text) {
#ifdef _WIN32
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
#else
  return cutAtCharBoundary(text, maxPathLength);
#endif
}
