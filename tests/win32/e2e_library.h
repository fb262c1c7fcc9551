#pragma once
#include <filesystem>
#include <map>
#include <optional>
#include <string>

// The folders and MP3 files the end-to-end test sorts, and the checks of
// what the program made of them.
namespace e2e {

struct Library {
  std::filesystem::path small;   // a few files with different tags
  std::filesystem::path large;   // many files, for scans that get stopped
  std::filesystem::path target, target2, target3;
  std::filesystem::path covers, covers2;
};

// Copies the small library makes with the options the test ticks.
inline constexpr unsigned long smallLibraryCopies = 7;
inline constexpr int largeLibraryFiles = 600;

Library makeLibrary(const std::filesystem::path& root);

std::string utf8(const std::filesystem::path& path);

// The target tree after sorting the small library: every folder and file
// expected, each copy equal to its source.
void checkSmallTree(const Library& library);

// After a stopped scan of the large library into target: the files were
// taken in walk order, each one completely (its artist and its genre copy,
// both whole), and the scan stopped well before the end. With copies, the
// number of copies made must match it.
void checkStoppedScan(const Library& library, const std::filesystem::path& target,
                      std::optional<unsigned long> copies);

// The INI file holds exactly these values in its section "general".
void checkIni(const std::filesystem::path& ini, const std::map<std::string, std::string>& expected);

}  // namespace e2e
