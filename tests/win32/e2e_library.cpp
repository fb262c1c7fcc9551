#include "tests/win32/e2e_library.h"

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

#include "tests/support/id3_writer.h"
#include "tests/win32/sheet_driver.h"

namespace fs = std::filesystem;

namespace e2e {
namespace {

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void writeBytes(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.good()) fatal("cannot write " + utf8(path));
}

fs::path fromUtf8(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

std::string v23Tag(const std::string& artist, const std::string& title, const std::string& album,
                   const std::string& genre) {
  std::vector<std::string> frames;
  auto add = [&](const char* id, const std::string& value) {
    if (!value.empty()) frames.push_back(id3::frame(3, id, id3::textBody(id3::Encoding::latin1, value)));
  };
  add("TPE1", artist);
  add("TIT2", title);
  add("TALB", album);
  add("TCON", genre);
  add("TYER", "1999");
  return id3::tag(3, frames, 64);
}

std::string largeName(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "lied-%03d", i);
  return name;
}

std::string largeTitle(int i) {
  char title[32];
  std::snprintf(title, sizeof title, "St\xC3\xBC" "ck %03d", i);
  return title;
}

// Relative paths with '/', folders with a trailing '/'.
std::set<std::string> tree(const fs::path& root) {
  std::set<std::string> out;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    std::string relative = utf8(fs::relative(it->path(), root, ec));
    for (char& c : relative) {
      if (c == '\\') c = '/';
    }
    if (it->is_directory()) relative += '/';
    out.insert(relative);
  }
  return out;
}

}  // namespace

std::string utf8(const fs::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

Library makeLibrary(const fs::path& root) {
  Library library;
  library.small = root / L"Quelle";
  library.large = root / L"Viele Lieder";
  library.target = root / L"Ziel";
  library.target2 = root / L"Ziel 2";
  library.target3 = root / L"Ziel 3";
  library.covers = root / L"Cover";
  library.covers2 = root / L"Cover 2";
  for (const fs::path& folder : {library.target, library.target2, library.target3, library.covers,
                                 library.covers2}) {
    fs::create_directories(folder);
  }

  const std::string one = id3::mp3File(v23Tag("B\xC3\xA4rbel", "Erstes Lied", "Album A", "Pop"), 4000, "", 1);
  writeBytes(library.small / L"One.mp3", one);
  writeBytes(library.small / L"zz-kopie.mp3", one);  // the same content again: a duplicate
  writeBytes(library.small / L"nichts.mp3", id3::mp3File("", 3000, "", 11));
  writeBytes(library.small / L"three.mp3",
             id3::mp3File("", 3000, id3::id3v1("Drittes", "Drei", "", "2001", 17), 3));
  writeBytes(library.small / L"liesmich.txt", "kein MP3");
  std::vector<std::string> frames = {id3::frame(4, "TPE1", id3::textBody(id3::Encoding::utf8, "Zwei")),
                                     id3::frame(4, "TIT2", id3::textBody(id3::Encoding::utf8, "Zweites")),
                                     id3::frame(4, "TCON", id3::textBody(id3::Encoding::utf8, "Rock"))};
  writeBytes(library.small / L"Unterordner" / L"two.mp3", id3::mp3File(id3::tag(4, frames), 3500, "", 2));

  for (int i = 0; i < largeLibraryFiles; ++i) {
    writeBytes(library.large / fromUtf8(largeName(i) + ".mp3"),
               id3::mp3File(v23Tag("Viele", largeTitle(i), "", "Jazz"), 1500, "", 100 + i));
  }
  return library;
}

void checkSmallTree(const Library& library) {
  const fs::path& s = library.small;
  // Target (relative, UTF-8) and the source whose copy it must be.
  const std::vector<std::pair<std::string, fs::path>> copies = {
      {"Genre/Pop/One.mp3", s / L"One.mp3"},
      {"Genre/Rock/three.mp3", s / L"three.mp3"},
      {"Genre/Rock/two.mp3", s / L"Unterordner" / L"two.mp3"},
      {"Kuenstler/B\xC3\xA4rbel/Album A/Erstes Lied.MP3", s / L"One.mp3"},
      {"Kuenstler/Drei/Drittes.MP3", s / L"three.mp3"},
      {"Kuenstler/Zwei/Zweites.MP3", s / L"Unterordner" / L"two.mp3"},
      {"Ohne ID3-Tag/nichts.mp3", s / L"nichts.mp3"},
  };
  std::set<std::string> expected = {"Genre/",     "Genre/Pop/",         "Genre/Rock/",
                                    "Kuenstler/", "Kuenstler/B\xC3\xA4rbel/", "Kuenstler/B\xC3\xA4rbel/Album A/",
                                    "Kuenstler/Drei/", "Kuenstler/Zwei/", "Mit ID3-Tag/", "Ohne ID3-Tag/"};
  for (const auto& [relative, source] : copies) {
    expected.insert(relative);
    fs::path copy = library.target / fromUtf8(relative);
    expect(readBytes(copy) == readBytes(source), "complete copy " + relative);
  }
  std::set<std::string> found = tree(library.target);
  expect(found == expected, "the sorted tree of the small library");
  if (found != expected) {
    for (const std::string& entry : found) std::printf("  found: %s\n", entry.c_str());
  }
}

void checkStoppedScan(const Library& library, const fs::path& target, std::optional<unsigned long> copies) {
  std::set<int> byArtist, byGenre;
  const fs::path artistFolder = target / L"Kuenstler" / L"Viele";
  const fs::path genreFolder = target / L"Genre" / L"Jazz";
  for (int i = 0; i < largeLibraryFiles; ++i) {
    fs::path source = library.large / fromUtf8(largeName(i) + ".mp3");
    fs::path artistCopy = artistFolder / fromUtf8(largeTitle(i) + ".MP3");
    fs::path genreCopy = genreFolder / fromUtf8(largeName(i) + ".mp3");
    if (fs::exists(artistCopy)) {
      byArtist.insert(i);
      expect(readBytes(artistCopy) == readBytes(source), "complete copy " + utf8(artistCopy));
    }
    if (fs::exists(genreCopy)) {
      byGenre.insert(i);
      expect(readBytes(genreCopy) == readBytes(source), "complete copy " + utf8(genreCopy));
    }
  }
  std::size_t taken = byArtist.size();
  expect(byArtist == byGenre, "every file taken got both its copies");
  expect(taken >= 10, "the scan got going before it was stopped");
  expect(taken < static_cast<std::size_t>(largeLibraryFiles), "the scan stopped before the end");
  // Walk order is name order: what was taken is a run from the first file.
  expect(taken == 0 || *byArtist.rbegin() == static_cast<int>(taken) - 1, "files taken in walk order");
  std::size_t onDisk = 0;
  std::error_code ec;
  for (const fs::path& folder : {artistFolder, genreFolder}) {
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
      ++onDisk;
    }
  }
  expect(onDisk == 2 * taken, "nothing else in the artist and genre folders");
  if (copies) expect(*copies == 2 * taken, "the files counter matches the copies on disk");
  std::printf("  stopped after %zu of %d files\n", taken, largeLibraryFiles);
}

void checkIni(const fs::path& ini, const std::map<std::string, std::string>& expected) {
  std::istringstream lines(readBytes(ini));
  std::map<std::string, std::string> found;
  std::string line, section;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '[') {
      section = line;
      continue;
    }
    std::size_t equals = line.find('=');
    if (section == "[general]" && equals != std::string::npos) found[line.substr(0, equals)] = line.substr(equals + 1);
  }
  expect(found.size() == 17, "seventeen keys in the INI file, found " + std::to_string(found.size()));
  for (const auto& [key, value] : expected) {
    auto it = found.find(key);
    expect(it != found.end() && it->second == value,
           "INI " + key + "=" + value + (it == found.end() ? " (missing)" : " (found " + it->second + ")"));
  }
}

}  // namespace e2e
