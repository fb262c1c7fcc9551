#pragma once
#include <string>
#include <string_view>

#include "common/limits.h"

// The four parts of a path. The folder keeps its trailing separator; the
// extension runs from the last dot of the last component and includes it.
// The drive is only ever filled on Windows ("C:" or "\\server\share").
struct PathParts {
  std::string drive;
  std::string dir;
  std::string name;
  std::string ext;
};

PathParts splitPath(std::string_view path);

// Joins the parts again, adding a separator after a folder that lacks one and
// a dot before an extension that lacks one.
std::string mergePath(std::string_view drive, std::string_view dir, std::string_view name,
                      std::string_view ext);

// folder + separator + name, whether or not the folder already ends in one
// (the "%s\\%s" that the target tree's paths are built with).
std::string joinPath(std::string_view folder, std::string_view name);

// folder + name with one separator between them: a folder that already ends
// in one ("C:\\", "/") gets no second, which on Windows would turn "\\" into
// the start of a network path.
std::string childPath(std::string_view folder, std::string_view name);

bool isPathSeparator(char c);

// The path's length as the platform counts it: UTF-16 units on Windows,
// bytes elsewhere.
std::size_t platformPathLength(std::string_view path);

// True when the path is short enough for the platform.
inline bool fitsPathLimit(std::string_view path) { return platformPathLength(path) <= maxPathLength; }

// The longest prefix of text, cut at a character boundary, that fits the
// platform's path limit (for texts the user typed or an INI file held).
std::string_view cutToPathLimit(std::string_view text);
