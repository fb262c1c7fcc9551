#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// The shared state of the program. There is one thread; every record below
// has one global instance, read and written in place.

struct Settings {
  // Option flags. The program writes only 0 and 1; a hand-edited INI file may
  // hold other values. Every flag but crc counts as on when nonzero, crc only
  // when it is exactly 1.
  std::int32_t crc = 0;
  std::int32_t crcSave = 0;
  std::int32_t cover = 0;
  std::int32_t unbekannt = 0;
  std::int32_t genre = 0;
  std::int32_t kuenstler = 0;
  std::int32_t saeubern = 0;
  std::int32_t nursaeubern = 0;
  std::int32_t umbenennen = 0;
  std::int32_t makealbum = 0;
  std::int32_t loeschen = 0;
  std::int32_t rekursiv = 0;
  std::int32_t kollision = 0;
  std::int32_t norename = 0;
  // Folders, UTF-8, at most maxPathLength bytes each.
  std::string quellPfad;
  std::string zielPfad;
  std::string coverPfad;
};

// One option flag: its INI key, its member and the id of its check box on the
// options page. In the order in which the INI file holds them.
struct FlagKey {
  std::string_view key;
  std::int32_t Settings::*member;
  int checkBoxId;
};

inline constexpr std::array<FlagKey, 14> flagKeys{{
    {"crc", &Settings::crc, 206},
    {"crc-save", &Settings::crcSave, 207},
    {"cover", &Settings::cover, 204},
    {"unbekannt", &Settings::unbekannt, 208},
    {"genre", &Settings::genre, 203},
    {"kuenstler", &Settings::kuenstler, 202},
    {"saeubern", &Settings::saeubern, 213},
    {"nursaeubern", &Settings::nursaeubern, 101},
    {"umbenennen", &Settings::umbenennen, 212},
    {"makealbum", &Settings::makealbum, 210},
    {"loeschen", &Settings::loeschen, 201},
    {"rekursiv", &Settings::rekursiv, 200},
    {"kollision", &Settings::kollision, 205},
    {"norename", &Settings::norename, 211},
}};

struct PathKey {
  std::string_view key;
  std::string Settings::*member;
};

inline constexpr std::array<PathKey, 3> pathKeys{{
    {"quell-pfad", &Settings::quellPfad},
    {"ziel-pfad", &Settings::zielPfad},
    {"cover-pfad", &Settings::coverPfad},
}};

// The five texts of the file being processed, UTF-8, at most tagFieldMax
// bytes each.
struct TagInfo {
  std::string artist;
  std::string album;
  std::string title;
  std::string year;
  std::string genre;
};

struct ScanCounters {
  std::uint32_t files = 0;
  std::uint32_t duplicates = 0;
};

// What the last scan could not do: the command line's exit code and closing
// lines come from here. Emptied when a scan starts.
struct ScanProblems {
  std::uint32_t failedCopies = 0;   // copies that failed for another reason than a taken name
  std::uint32_t keptSources = 0;    // sources left in place although loeschen asked to delete them
  bool targetFull = false;          // the scan stopped because the target had no space left
};

extern Settings settings;
extern TagInfo tagInfo;
extern ScanCounters scanCounters;
extern ScanProblems scanProblems;

// 1 while a scan runs. Written by the sort page only; the walk polls it.
extern int scanRunning;

// The head of the file being read (tag reader, picture extraction):
// workBufferSize bytes. Allocated at start-up; null until then.
extern std::unique_ptr<unsigned char[]> workBuffer;
// The checksum's chunk buffer: checksumChunkSize bytes, allocated by
// loadSettings.
extern std::unique_ptr<unsigned char[]> checksumBuffer;

// Full paths of the INI file and the log file.
extern std::string iniPath;
extern std::string logPath;

// Allocation that reports failure instead of throwing.
bool allocateWorkBuffer();
bool allocateChecksumBuffer();

// Back to the state of a fresh start (for tests and for the shells' start-up):
// the records above emptied, the checksum buffer freed; the work buffer stays.
void resetSharedState();
