#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// What the command line asked for.
struct CliOptions {
  std::optional<std::string> configFolder;
  std::optional<std::string> source;
  std::optional<std::string> target;
  std::optional<std::string> covers;
  // INI flag key and the value to set it to, in the order given.
  std::vector<std::pair<std::string, std::int32_t>> flags;
  bool save = false;
  bool quiet = false;
  bool help = false;
  bool version = false;
};

// Parses argv. On a usage error returns false and sets error to a German
// message that names the offending argument.
bool parseCliOptions(int argc, const char* const* argv, CliOptions& options, std::string& error);

// The text of --help.
std::string cliHelpText();
