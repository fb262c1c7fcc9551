#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

// An INI file read and written the way the Windows profile calls do it:
// sections "[name]" holding lines "key=value"; section and key names compared
// with ASCII letters folded; the first of two equal sections or keys wins.
// Lines starting with ';' or '#' are comments. Editing changes only the line
// of the key written (or adds one), so every other line, comment, key and
// section stays byte for byte as it was, line endings included.
//
// Values are UTF-8. A value that is not valid UTF-8 comes from a file written
// by an older version and is read as Windows-1252.
struct IniFile {
  struct Line {
    std::string text;    // without its line ending
    std::string ending;  // "\r\n", "\n", or "" for a last line without one
  };
  std::string byteOrderMark;  // a UTF-8 BOM the file started with, kept
  std::vector<Line> lines;
  // The ending of lines the editor adds: the file's first line ending, for
  // a new file the platform's.
  std::string newLineEnding;
};

// An empty document, as for a missing file.
IniFile emptyIniFile();

// Parses file bytes.
IniFile parseIniText(std::string_view bytes);
// The file bytes of the document.
std::string iniText(const IniFile& ini);

// Reads the file at path. A missing file is an empty document. False (and an
// empty document) when the file exists but cannot be read or understood: a
// link, a pipe, larger than any settings file should be, or holding NUL
// bytes (another encoding).
bool loadIniFile(std::string_view path, IniFile& ini);

// Replaces the file at path with the document: written to a temporary file
// beside it, flushed to the disk and renamed over it, so a failure at any
// step leaves the previous file whole. Creates a missing file.
platform::Status saveIniFile(std::string_view path, const IniFile& ini);

// The value of key in section as GetPrivateProfileString gives it: blanks
// around it trimmed, one pair of enclosing quotes removed, ended by a NUL
// byte; nothing when the section or the key is missing.
std::optional<std::string> iniValue(const IniFile& ini, std::string_view section,
                                    std::string_view key);

// The value as GetPrivateProfileInt reads it: blanks, an optional sign and
// decimal digits (wrapping at 32 bits like the Windows call); any other text
// gives 0. The default when the key is missing or empty.
std::int32_t iniInt(const IniFile& ini, std::string_view section, std::string_view key,
                    std::int32_t defaultValue);
// The integer read of one value text (the part of iniInt that parses).
std::int32_t parseProfileInt(std::string_view text);

// Sets key in section to value: the value of an existing key is replaced
// where it stands (its key spelling and the text up to the value kept); a
// missing key is added after the last key of its section; a missing section
// is added at the end of the document. A value with leading or trailing
// blanks, or enclosed in quotes, is written inside double quotes so that it
// reads back unchanged. False, and nothing changed, for a value that no INI
// line can hold (a line break or a NUL byte).
bool setIniValue(IniFile& ini, std::string_view section, std::string_view key,
                 std::string_view value);
