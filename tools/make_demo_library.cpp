// Writes a small demo library of MP3 files into a folder: ID3v1, ID3v2.3 and
// ID3v2.4 tags, umlauts, files without artist or genre, untagged files, two
// duplicates and one embedded cover, plus a cover folder. Deterministic.
//
//   make-demo-library FOLDER      (FOLDER/Quelle and FOLDER/Cover are made)
#include <cstdio>
#include <string>
#include <vector>

#include "common/paths.h"
#include "common/text.h"
#include "platform/platform.h"
#include "tools/id3_writer.h"

namespace {

struct Song {
  const char* folder;  // below Quelle, "" for Quelle itself
  const char* file;
  const char* artist;
  const char* album;
  const char* title;
  const char* year;
  const char* genre;  // ID3v2: text; ID3v1: ignored (genreCode)
  int version;        // 1 = ID3v1 + TAG+, 3 or 4 = ID3v2, 0 = no tag
  unsigned char genreCode;
};

const Song songs[] = {
    {"", "track01.mp3", "Die \xC3\x84rzte", "Ger\xC3\xA4usch", "Unrockbar", "2003", "Punk", 3, 0},
    {"", "track02.mp3", "Die \xC3\x84rzte", "Ger\xC3\xA4usch", "Dein Vampyr", "2003", "Punk", 3, 0},
    {"", "track03.mp3", "Mot\xC3\xB6rhead", "Ace of Spades", "Ace of Spades", "1980", "Metal", 4, 0},
    {"", "track04.mp3", "Mot\xC3\xB6rhead", "Overkill", "Overkill", "1979", "Metal", 4, 0},
    {"", "track05.mp3", "Kraftwerk", "Autobahn", "Autobahn", "1974", "", 1, 52},
    {"", "track06.mp3", "Kraftwerk", "Die Mensch-Maschine", "Das Modell", "1978", "", 1, 52},
    {"", "track07.mp3", "Kraftwerk", "Computerwelt", "Taschenrechner", "1981", "", 1, 52},
    {"", "Lied 08.mp3", "", "Unbekannt", "Ohne K\xC3\xBCnstler", "1999", "Pop", 3, 0},
    {"", "Lied 09.mp3", "Nena", "99 Luftballons", "99 Luftballons", "1983", "", 4, 0},
    {"", "Lied 10.mp3", "", "", "Ganz leer", "", "", 4, 0},
    {"Rock", "a01.mp3", "AC/DC", "Back in Black", "Hells Bells", "1980", "Hard Rock", 3, 0},
    {"Rock", "a02.mp3", "AC/DC", "Back in Black", "Shoot to Thrill", "1980", "Hard Rock", 3, 0},
    {"Rock", "a03.mp3", "AC/DC", "Highway to Hell", "Highway to Hell", "1979", "Hard Rock", 4, 0},
    {"Rock", "a04.mp3", "Scorpions", "Crazy World", "Wind of Change", "1990", "Rock", 4, 0},
    {"Rock", "a05.mp3", "Scorpions", "Love at First Sting", "Still Loving You", "1984", "", 1, 17},
    {"Rock", "a06.mp3", "Rammstein", "Mutter", "Sonne", "2001", "Industrial", 3, 0},
    {"Rock", "a07.mp3", "Rammstein", "Mutter", "Mein Herz brennt", "2001", "Industrial", 3, 0},
    {"Rock", "a08.mp3", "Rammstein", "Sehnsucht", "Du hast", "1997", "Industrial", 4, 0},
    {"Rock", "a09.mp3", "Guns N' Roses", "Appetite for Destruction", "Sweet Child o' Mine", "1987", "", 1, 79},
    {"Rock", "a10.mp3", "Queen", "A Night at the Opera", "Bohemian Rhapsody", "1975", "Rock", 3, 0},
    {"Klassik", "k01.mp3", "Johann Sebastian Bach", "Goldberg-Variationen", "Aria", "1741", "Classical", 4, 0},
    {"Klassik", "k02.mp3", "Ludwig van Beethoven", "Sinfonie Nr. 5", "Allegro con brio", "1808", "Classical", 4, 0},
    {"Klassik", "k03.mp3", "Wolfgang Amadeus Mozart", "Die Zauberfl\xC3\xB6te", "Der H\xC3\xB6lle Rache", "1791", "Opera", 3, 0},
    {"Klassik", "k04.mp3", "Franz Schubert", "Winterreise", "Der Lindenbaum", "1828", "", 1, 32},
    {"Klassik", "k05.mp3", "Clara Schumann", "Klaviertrio", "Allegro moderato", "1846", "", 3, 0},
    {"Klassik/Oper", "o01.mp3", "Richard Wagner", "Die Walk\xC3\xBCre", "Walk\xC3\xBCrenritt", "1870", "Opera", 4, 0},
    {"Klassik/Oper", "o02.mp3", "Giuseppe Verdi", "La traviata", "Libiamo", "1853", "Opera", 3, 0},
    {"Pop", "p01.mp3", "ABBA", "Arrival", "Dancing Queen", "1976", "Pop", 3, 0},
    {"Pop", "p02.mp3", "ABBA", "Arrival", "Money, Money, Money", "1976", "Pop", 3, 0},
    {"Pop", "p03.mp3", "Herbert Gr\xC3\xB6nemeyer", "4630 Bochum", "M\xC3\xA4nner", "1984", "Pop", 4, 0},
    {"Pop", "p04.mp3", "Peter Fox", "Stadtaffe", "Haus am See", "2008", "Hip-Hop", 4, 0},
    {"Pop", "p05.mp3", "Helene Fischer", "Farbenspiel", "Atemlos durch die Nacht", "2013", "Schlager", 3, 0},
    {"Pop", "p06.mp3", "Udo J\xC3\xBCrgens", "Udo 70", "Griechischer Wein", "1974", "", 1, 13},
    {"Pop", "p07.mp3", "Nina Hagen", "Nunsexmonkrock", "Smack Jack", "1982", "", 4, 0},
    {"", "aufnahme1.mp3", nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0},
    {"", "aufnahme2.mp3", nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0},
    {"Pop", "sprachmemo.mp3", nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0},
    {"Klassik", "probe.mp3", nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0},
};

std::string latin1(std::string_view utf8) {
  std::string out;
  std::size_t pos = 0;
  char32_t cp;
  while (pos < utf8.size()) {
    if (!decodeUtf8(utf8, pos, cp)) cp = static_cast<unsigned char>(utf8[pos++]);
    out += static_cast<char>(cp <= 0xFF ? cp : '?');
  }
  return out;
}

std::string songBytes(const Song& s, std::uint32_t seed, bool withCover) {
  std::size_t size = 24000 + (seed * 7919) % 40000;
  if (s.version == 0) return id3::audio(size, seed);
  if (s.version == 1) {
    // The ID3v1 block holds Latin-1 bytes.
    std::string trailer = id3::id3v1(latin1(s.title), latin1(s.artist), latin1(s.album), s.year, s.genreCode);
    return id3::mp3File("", size, trailer, seed);
  }
  id3::Encoding encoding = s.version == 4 ? id3::Encoding::utf8 : id3::Encoding::utf16;
  std::vector<std::string> frames;
  if (withCover) {
    frames.push_back(id3::frame(s.version, "APIC",
                                id3::apicBody("image/jpeg", id3::jpegPicture(12000, seed), "Cover")));
  }
  auto text = [&](const char* id, const char* value) {
    if (value && *value) frames.push_back(id3::frame(s.version, id, id3::textBody(encoding, value, true)));
  };
  text("TPE1", s.artist);
  text("TALB", s.album);
  text("TIT2", s.title);
  text(s.version == 4 ? "TDRC" : "TYER", s.year);
  text("TCON", s.genre);
  return id3::mp3File(id3::tag(s.version, frames, 256), size, "", seed);
}

bool write(const std::string& path, const std::string& bytes) {
  platform::File file;
  if (!file.createNew(path) || !file.write(bytes.data(), bytes.size())) {
    std::fprintf(stderr, "Datei %s konnte nicht geschrieben werden\n", path.c_str());
    return false;
  }
  return true;
}

bool makeFolders(const std::string& root, const std::string& relative) {
  std::string path = root;
  std::size_t start = 0;
  while (start <= relative.size()) {
    std::size_t end = relative.find('/', start);
    if (end == std::string::npos) end = relative.size();
    path = joinPath(path, relative.substr(start, end - start));
    if (!platform::pathExists(path) && !platform::makeFolder(path)) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Aufruf: make-demo-library ORDNER\n");
    return 2;
  }
  std::string root = argv[1];
  if (!platform::pathExists(root) && !platform::makeFolder(root)) {
    std::fprintf(stderr, "Verzeichnis %s konnte nicht angelegt werden\n", root.c_str());
    return 1;
  }
  std::string source = joinPath(root, "Quelle");
  std::string covers = joinPath(root, "Cover");
  if (!makeFolders(root, "Quelle") || !makeFolders(root, "Cover")) return 1;
  std::uint32_t seed = 1;
  int written = 0;
  for (const Song& s : songs) {
    std::string folder = source;
    if (*s.folder) {
      if (!makeFolders(source, s.folder)) return 1;
      for (std::string part = s.folder; !part.empty();) {
        std::size_t slash = part.find('/');
        folder = joinPath(folder, part.substr(0, slash));
        part = slash == std::string::npos ? "" : part.substr(slash + 1);
      }
    }
    bool withCover = std::string(s.file) == "track03.mp3";
    std::string bytes = songBytes(s, seed++, withCover);
    if (!write(joinPath(folder, s.file), bytes)) return 1;
    ++written;
    // Two byte-identical copies elsewhere in the tree: the duplicates.
    if (std::string(s.file) == "a04.mp3" || std::string(s.file) == "p01.mp3") {
      if (!makeFolders(source, "Doppelt")) return 1;
      std::string copyName = std::string("Kopie von ") + s.file;
      if (!write(joinPath(joinPath(source, "Doppelt"), copyName), bytes)) return 1;
      ++written;
    }
  }
  // Pictures in the cover folder, found by the songs' file names.
  if (!write(joinPath(covers, "a10.jpg"), id3::jpegPicture(8000, 99))) return 1;
  if (!write(joinPath(covers, "p03.png"), id3::pngPicture(6000, 98))) return 1;
  std::printf("%d MP3-Dateien in %s, Cover in %s\n", written, source.c_str(), covers.c_str());
  return 0;
}
