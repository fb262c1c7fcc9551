#include "app/ini_file.h"

#include <cstddef>
#include <initializer_list>

#include "common/limits.h"
#include "common/text.h"
#include "platform/platform.h"

namespace {

constexpr std::string_view utf8ByteOrderMark = "\xEF\xBB\xBF";

// A settings file is a few hundred bytes; anything near this size is not one,
// and is not read into memory.
constexpr std::int64_t maxIniFileSize = 4 * 1024 * 1024;

// Lines the editor adds to a new file end like the platform's text files.
constexpr std::string_view platformLineEnding = pathSeparator == '\\' ? "\r\n" : "\n";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

enum class LineKind { other, comment, section, key };

struct ParsedLine {
  LineKind kind = LineKind::other;
  std::string_view name;       // section or key name, trimmed
  std::size_t valueStart = 0;  // key lines: offset of the value in the line
};

ParsedLine parseLine(std::string_view text) {
  ParsedLine parsed;
  const std::string_view trimmed = trimBlanks(text);
  if (trimmed.empty()) return parsed;
  if (trimmed.front() == ';' || trimmed.front() == '#') {
    parsed.kind = LineKind::comment;
    return parsed;
  }
  if (trimmed.front() == '[') {
    const std::size_t close = trimmed.find(']');
    if (close != std::string_view::npos) {
      parsed.kind = LineKind::section;
      parsed.name = trimBlanks(trimmed.substr(1, close - 1));
    }
    return parsed;
  }
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) return parsed;
  parsed.kind = LineKind::key;
  parsed.name = trimBlanks(text.substr(0, equals));
  std::size_t valueStart = equals + 1;
  while (valueStart < text.size() && isBlank(text[valueStart])) ++valueStart;
  parsed.valueStart = valueStart;
  return parsed;
}

bool isQuote(char c) { return c == '"' || c == '\''; }

// The raw value text of a key line as the profile calls hand it out.
std::string_view profileValue(std::string_view rawValue) {
  const std::size_t nul = rawValue.find('\0');
  if (nul != std::string_view::npos) rawValue = rawValue.substr(0, nul);
  rawValue = trimBlanks(rawValue);
  if (rawValue.size() >= 2 && isQuote(rawValue.front()) && rawValue.back() == rawValue.front()) {
    rawValue = rawValue.substr(1, rawValue.size() - 2);
  }
  return rawValue;
}

// Index of the header line of section, or lines.size().
std::size_t findSection(const IniFile& ini, std::string_view section) {
  for (std::size_t i = 0; i < ini.lines.size(); ++i) {
    const ParsedLine parsed = parseLine(ini.lines[i].text);
    if (parsed.kind == LineKind::section && equalsNoCaseAscii(parsed.name, section)) return i;
  }
  return ini.lines.size();
}

struct KeySearch {
  std::size_t keyLine;      // the key's line, or lines.size() when missing
  std::size_t lastKeyLine;  // the section's last key line, or its header
};

KeySearch findKey(const IniFile& ini, std::size_t sectionLine, std::string_view key) {
  KeySearch search{ini.lines.size(), sectionLine};
  for (std::size_t i = sectionLine + 1; i < ini.lines.size(); ++i) {
    const ParsedLine parsed = parseLine(ini.lines[i].text);
    if (parsed.kind == LineKind::section) break;
    if (parsed.kind != LineKind::key) continue;
    if (equalsNoCaseAscii(parsed.name, key)) {
      search.keyLine = i;
      return search;
    }
    search.lastKeyLine = i;
  }
  return search;
}

// The text that reads back as value: quoted where trimming or quote
// stripping would otherwise change it.
std::string encodeValue(std::string_view value) {
  const bool needsQuotes =
      !value.empty() && (isBlank(value.front()) || isBlank(value.back()) ||
                         (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front()));
  if (!needsQuotes) return std::string(value);
  std::string quoted;
  quoted.reserve(value.size() + 2);
  quoted += '"';
  quoted += value;
  quoted += '"';
  return quoted;
}

// Inserts a line before position, giving the line before it an ending if it
// was the file's unterminated last line.
void insertLine(IniFile& ini, std::size_t position, std::string text) {
  if (position > 0 && ini.lines[position - 1].ending.empty()) {
    ini.lines[position - 1].ending = ini.newLineEnding;
  }
  ini.lines.insert(ini.lines.begin() + static_cast<std::ptrdiff_t>(position),
                   IniFile::Line{std::move(text), ini.newLineEnding});
}

}  // namespace

IniFile emptyIniFile() {
  IniFile ini;
  ini.newLineEnding = std::string(platformLineEnding);
  return ini;
}

IniFile parseIniText(std::string_view bytes) {
  IniFile ini;
  if (bytes.starts_with(utf8ByteOrderMark)) {
    ini.byteOrderMark = std::string(utf8ByteOrderMark);
    bytes.remove_prefix(utf8ByteOrderMark.size());
  }
  while (!bytes.empty()) {
    const std::size_t newline = bytes.find('\n');
    if (newline == std::string_view::npos) {
      ini.lines.push_back({std::string(bytes), ""});
      break;
    }
    std::string_view text = bytes.substr(0, newline);
    const bool crlf = !text.empty() && text.back() == '\r';
    if (crlf) text.remove_suffix(1);
    const std::string_view ending = crlf ? std::string_view("\r\n") : std::string_view("\n");
    if (ini.newLineEnding.empty()) ini.newLineEnding = std::string(ending);
    ini.lines.push_back({std::string(text), std::string(ending)});
    bytes.remove_prefix(newline + 1);
  }
  if (ini.newLineEnding.empty()) ini.newLineEnding = std::string(platformLineEnding);
  return ini;
}

std::string iniText(const IniFile& ini) {
  std::string text = ini.byteOrderMark;
  for (const IniFile::Line& line : ini.lines) {
    text += line.text;
    text += line.ending;
  }
  return text;
}

bool loadIniFile(std::string_view path, IniFile& ini) {
  ini = emptyIniFile();
  if (!platform::pathExists(path)) return true;
  platform::File file;
  if (!file.openRead(path)) return false;
  const std::int64_t size = file.size();
  if (size < 0 || size > maxIniFileSize) return false;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (!bytes.empty() && !file.readExact(bytes.data(), bytes.size())) return false;
  // No settings file holds a NUL byte: this one is in another encoding
  // (UTF-16) or no text at all, and editing it line by line would mix
  // encodings or lose what it holds.
  if (bytes.find('\0') != std::string::npos) return false;
  ini = parseIniText(bytes);
  return true;
}

platform::Status saveIniFile(std::string_view path, const IniFile& ini) {
  return platform::saveFileAtomically(path, iniText(ini));
}

std::optional<std::string> iniValue(const IniFile& ini, std::string_view section,
                                    std::string_view key) {
  const std::size_t sectionLine = findSection(ini, section);
  if (sectionLine == ini.lines.size()) return std::nullopt;
  const KeySearch search = findKey(ini, sectionLine, key);
  if (search.keyLine == ini.lines.size()) return std::nullopt;
  const std::string_view line = ini.lines[search.keyLine].text;
  return utf8OrCp1252(profileValue(line.substr(parseLine(line).valueStart)));
}

std::int32_t parseProfileInt(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && (isBlank(text[pos]) || text[pos] == '\r' || text[pos] == '\n')) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  // Unsigned arithmetic wraps at 32 bits, which is what the Windows call
  // returns for numbers out of range.
  std::uint32_t value = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    value = value * 10u + static_cast<std::uint32_t>(text[pos] - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

std::int32_t iniInt(const IniFile& ini, std::string_view section, std::string_view key,
                    std::int32_t defaultValue) {
  const std::optional<std::string> value = iniValue(ini, section, key);
  if (!value || value->empty()) return defaultValue;
  return parseProfileInt(*value);
}

namespace {

// Built piece by piece: GCC 12 at -O3 warns falsely about "literal" + string.
std::string concat(std::initializer_list<std::string_view> pieces) {
  std::string out;
  for (std::string_view piece : pieces) out += piece;
  return out;
}

}  // namespace

bool setIniValue(IniFile& ini, std::string_view section, std::string_view key,
                 std::string_view value) {
  if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) return false;
  const std::string encoded = encodeValue(value);

  const std::size_t sectionLine = findSection(ini, section);
  if (sectionLine == ini.lines.size()) {
    insertLine(ini, ini.lines.size(), concat({"[", section, "]"}));
    insertLine(ini, ini.lines.size(), concat({key, "=", encoded}));
    return true;
  }
  const KeySearch search = findKey(ini, sectionLine, key);
  if (search.keyLine == ini.lines.size()) {
    insertLine(ini, search.lastKeyLine + 1, concat({key, "=", encoded}));
    return true;
  }
  std::string& line = ini.lines[search.keyLine].text;
  line.resize(parseLine(line).valueStart);
  line += encoded;
  return true;
}
