// End-to-end test of liedkorb.exe: starts the program three times, drives
// its property sheet like a user and checks what it left on disk.
//
//   liedkorb_e2e PROGRAM SCREENSHOT_FOLDER [WORK_FOLDER]
//
// Needs a display (under Wine: an X server, Xvfb will do); without one it
// reports itself skipped with exit code 77. Where the copies go is the
// engine's part, proven by its own tests; this one proves what the program
// binds: its boxes, edits and buttons, the INI file, the ways of closing.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/ini_file.h"
#include "tools/id3_writer.h"
#include "tests/support/test_support.h"
#include "tests/win32/sheet_driver.h"

namespace fs = std::filesystem;
using namespace e2e;
using testing_support::fsPath;
using testing_support::listTree;
using testing_support::readFile;
using testing_support::utf8Path;

namespace {

constexpr int skipped = 77;
constexpr int startTimeoutMs = 30000;
constexpr int scanTimeoutMs = 60000;

// Control ids of the pages, as a user would read them off the screen.
constexpr int startButton = 100, targetEdit = 101, coverEdit = 102, sourceEdit = 103;
constexpr int duplicatesCounter = 104, filesCounter = 105, artistDisplay = 111, genreDisplay = 115;
constexpr int clearCrcButton = 209;

struct OptionBox {
  int id;
  const char* key;
};
// The fourteen boxes of the options page and their INI keys.
constexpr OptionBox optionBoxes[] = {
    {206, "crc"},         {207, "crc-save"},    {204, "cover"},      {208, "unbekannt"},
    {203, "genre"},       {202, "kuenstler"},   {213, "saeubern"},   {101, "nursaeubern"},
    {212, "umbenennen"},  {210, "makealbum"},   {201, "loeschen"},   {200, "rekursiv"},
    {205, "kollision"},   {211, "norename"},
};
// What the test ticks: recursive, artist folders with albums, genre folders,
// files without a tag, duplicates by checksum.
const std::set<int> ticked = {200, 202, 203, 206, 208, 210};

// The folders of the test; small holds a few songs (one twice), large holds
// enough for a scan that gets stopped.
struct Library {
  fs::path small, large, target, target2, target3, covers, covers2;
};
constexpr int largeLibraryFiles = 600;
// Copies of the small library with the boxes the test ticks: an artist and a
// genre copy of each song.
constexpr unsigned long smallLibraryCopies = 4;

void put(const fs::path& path, const std::string& bytes) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  testing_support::writeFile(utf8Path(path), bytes);
  if (fs::file_size(path, ec) != bytes.size()) fatal("cannot write " + utf8Path(path));
}

std::string song(const std::string& artist, const std::string& title, const std::string& genre,
                 std::uint32_t seed) {
  std::vector<std::string> frames;
  for (const auto& [id, text] : {std::pair{"TPE1", artist}, {"TIT2", title}, {"TCON", genre}}) {
    frames.push_back(id3::frame(3, id, id3::textBody(id3::Encoding::latin1, text)));
  }
  return id3::mp3File(id3::tag(3, frames, 64), 1500, "", seed);
}

std::string numbered(const char* format, int i) {
  char name[32];
  std::snprintf(name, sizeof name, format, i);
  return name;
}
// A file of the large library and its title.
std::string largeName(int i) { return numbered("lied-%03d.mp3", i); }
std::string largeTitle(int i) { return numbered("St\xC3\xBC" "ck %03d", i); }

Library makeLibrary(const fs::path& root) {
  // A folder name outside ASCII goes through the edits and the INI file.
  const Library library{root / L"Quelle", root / L"Viele Lieder",    root / L"Ziel",
                        root / L"Ziel 2", root / L"Ziel \u00DCber", root / L"Cover",
                        root / L"Cover 2"};
  for (const fs::path& folder : {library.target, library.target2, library.target3, library.covers,
                                 library.covers2}) {
    fs::create_directories(folder);
  }
  const std::string one = song("B\xC3\xA4rbel", "Erstes Lied", "Pop", 1);
  put(library.small / L"One.mp3", one);
  put(library.small / L"zz-kopie.mp3", one);
  put(library.small / L"Unterordner" / L"two.mp3", song("Zwei", "Zweites", "Rock", 2));
  for (int i = 0; i < largeLibraryFiles; ++i) {
    put(library.large / fsPath(largeName(i)), song("Viele", largeTitle(i), "Jazz", 100 + i));
  }
  return library;
}

// After a stopped scan of the large library: the files taken are a run from
// the first in walk order, each with its artist and its genre copy, and the
// scan stopped well under way. With copies, the files counter must match.
void checkStoppedScan(const Library& library, const fs::path& target,
                      std::optional<unsigned long> copies) {
  const fs::path byArtist = target / L"Kuenstler" / L"Viele", byGenre = target / L"Genre" / L"Jazz";
  const std::vector<std::string> artistCopies = listTree(utf8Path(byArtist));
  const int taken = static_cast<int>(artistCopies.size());
  std::vector<std::string> titles, names;
  for (int i = 0; i < taken; ++i) {
    titles.push_back(largeTitle(i) + ".MP3");
    names.push_back(largeName(i));
  }
  expect(artistCopies == titles && listTree(utf8Path(byGenre)) == names,
         "the files taken in walk order, each with both copies, nothing else");
  expect(taken >= 10 && taken < largeLibraryFiles, "the scan stopped well under way");
  // Only the file in hand at the stop could have been cut short.
  if (taken > 0) {
    const std::string last = readFile(utf8Path(library.large / fsPath(names.back())));
    expect(readFile(utf8Path(byArtist / fsPath(titles.back()))) == last &&
               readFile(utf8Path(byGenre / fsPath(names.back()))) == last,
           "the file in hand at the stop was copied whole");
  }
  if (copies) {
    expect(*copies == 2 * static_cast<unsigned long>(taken), "the counter matches the copies");
  }
  std::printf("  stopped after %d of %d files\n", taken, largeLibraryFiles);
}

// The INI file holds these values in its section "general".
void checkIni(const fs::path& ini, const std::map<std::string, std::string>& expected) {
  const IniFile file = parseIniText(readFile(utf8Path(ini)));
  for (const auto& [key, value] : expected) {
    const std::optional<std::string> found = iniValue(file, "general", key);
    expect(found == value, "INI " + key + "=" + value + " (found " + found.value_or("none") + ")");
  }
}

bool runningUnderWine() {
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

// Without a window manager on the X server, Wine draws the sheet's caption
// and frame itself only when told so.
void letWineDrawFrames() {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  const wchar_t no[] = L"N";
  ::RegSetValueExW(key, L"Decorated", 0, REG_SZ, reinterpret_cast<const BYTE*>(no), sizeof no);
  ::RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(no), sizeof no);
  ::RegCloseKey(key);
}

struct Program {
  PROCESS_INFORMATION process{};
  HWND sheet = nullptr;
  HWND sortPage = nullptr;
};

Program start(const fs::path& exe) {
  Program program;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
  std::wstring folder = exe.parent_path().wstring();
  if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &program.process)) {
    fatal("liedkorb.exe does not start");
  }
  watchProgram(program.process.hProcess, program.process.dwProcessId);
  program.sheet = waitForSheet(program.process.dwProcessId, L"Liedkorb 2.7", startTimeoutMs);
  if (!program.sheet) fatal("no window \"Liedkorb 2.7\" appeared");
  program.sortPage = waitForPage(program.sheet, startButton, startTimeoutMs);
  if (!program.sortPage) fatal("the sort page is missing");
  return program;
}

// Waits for the program to end and checks that it ended well.
void expectExit(Program& program, const char* how) {
  DWORD waited = ::WaitForSingleObject(program.process.hProcess, startTimeoutMs);
  if (waited != WAIT_OBJECT_0) fatal(std::string("the program did not end after ") + how);
  DWORD code = 1;
  ::GetExitCodeProcess(program.process.hProcess, &code);
  expect(code == 0, std::string("exit code 0 after ") + how);
  watchProgram(nullptr, 0);
  ::CloseHandle(program.process.hThread);
  ::CloseHandle(program.process.hProcess);
}

unsigned long counter(const Program& program, int id) {
  return std::wcstoul(controlText(program.sortPage, id).c_str(), nullptr, 10);
}

// The files counter once it has stopped changing.
unsigned long settledCounter(const Program& program) {
  unsigned long last = counter(program, filesCounter);
  for (int same = 0; same < 5;) {
    ::Sleep(100);
    unsigned long now = counter(program, filesCounter);
    same = now == last ? same + 1 : 0;
    last = now;
  }
  return last;
}

bool buttonReads(const Program& program, const wchar_t* text) {
  return controlText(program.sortPage, startButton) == text;
}

// Starts a scan of the long library and waits until it is well under way.
void startLongScan(const Program& program, unsigned long counterAtStart) {
  click(program.sortPage, startButton);
  bool running = waitUntil(
      [&] { return buttonReads(program, L"&Abbruch") && counter(program, filesCounter) >= counterAtStart + 20; },
      scanTimeoutMs);
  if (!running) fatal("the long scan did not get going");
}

void shoot(HWND window, const fs::path& folder, const char* name) {
  expect(screenshot(window, (folder / (std::string(name) + ".bmp")).wstring()),
         std::string("screenshot ") + name);
}

std::wstring text(const fs::path& path) { return path.wstring(); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::printf("usage: liedkorb_e2e PROGRAM SCREENSHOT_FOLDER [WORK_FOLDER]\n");
    return 2;
  }
  if (runningUnderWine() && !std::getenv("DISPLAY")) {
    std::printf("no display: the end-to-end test is skipped\n");
    return skipped;
  }
  if (runningUnderWine()) letWineDrawFrames();
  std::setvbuf(stdout, nullptr, _IONBF, 0);

  const fs::path shots = argv[2];
  fs::path root = argc > 3 ? fs::path(argv[3]) : fs::temp_directory_path() / L"liedkorb-e2e";
  std::error_code ec;
  fs::remove_all(root, ec);
  fs::create_directories(shots, ec);
  const Library library = makeLibrary(root);
  const fs::path exe = root / L"Programm" / L"liedkorb.exe";
  fs::create_directories(exe.parent_path());
  if (!fs::copy_file(argv[1], exe, ec)) fatal("cannot copy the program into the work folder");
  const fs::path ini = root / L"Programm" / L"liedkorb.INI";

  // Run 1: a first start without INI file; a scan, a stopped scan, Cancel.
  std::printf("run 1: sort a small library, stop a long scan, close with Cancel\n");
  {
    Program program = start(exe);
    typeText(program.sortPage, sourceEdit, text(library.small));
    typeText(program.sortPage, targetEdit, text(library.target));
    typeText(program.sortPage, coverEdit, text(library.covers));

    selectPage(program.sheet, 1);
    HWND options = waitForPage(program.sheet, clearCrcButton, startTimeoutMs);
    if (!options) fatal("the options page is missing");
    for (int id : ticked) {
      click(options, id);
      expect(waitUntil([&] { return isChecked(options, id); }, startTimeoutMs), "a box ticks when clicked");
    }
    // A box clicked twice keeps its flag as it was.
    click(options, 201);
    click(options, 201);
    expect(waitUntil([&] { return !isChecked(options, 201); }, startTimeoutMs), "box 201 clicked twice");
    shoot(program.sheet, shots, "windows-options");
    selectPage(program.sheet, 2);
    shoot(program.sheet, shots, "windows-charity");
    selectPage(program.sheet, 3);
    shoot(program.sheet, shots, "windows-support");
    selectPage(program.sheet, 0);

    click(program.sortPage, startButton);
    bool done = waitUntil(
        [&] { return buttonReads(program, L"&Start") && counter(program, filesCounter) == smallLibraryCopies; },
        scanTimeoutMs);
    expect(done, "the small scan ends with \"&Start\" and " + std::to_string(smallLibraryCopies) + " copies");
    expect(counter(program, duplicatesCounter) == 1, "one duplicate counted");
    expect(controlText(program.sortPage, artistDisplay) == L"Zwei", "the last file's artist is shown");
    expect(controlText(program.sortPage, genreDisplay) == L"Rock", "the last file's genre is shown");
    shoot(program.sheet, shots, "windows-sort");

    // The long scan, stopped with the same button.
    typeText(program.sortPage, sourceEdit, text(library.large));
    unsigned long before = counter(program, filesCounter);
    startLongScan(program, before);
    click(program.sortPage, startButton);
    expect(waitUntil([&] { return buttonReads(program, L"&Start"); }, scanTimeoutMs),
           "\"&Abbruch\" brings \"&Start\" back");
    // The file in hand is finished (its two copies), no further one started.
    unsigned long stoppedAt = counter(program, filesCounter);
    unsigned long settled = settledCounter(program);
    expect(settled - stoppedAt <= 2, "only the file in hand is copied after the stop");
    checkStoppedScan(library, library.target, settled - before);

    // Typed, but never read: neither a page switch nor a start followed.
    typeText(program.sortPage, sourceEdit, L"C:\\nie\\gelesen");
    click(program.sheet, IDCANCEL);
    expectExit(program, "Cancel");
  }
  std::map<std::string, std::string> expected;
  for (const OptionBox& box : optionBoxes) expected[box.key] = ticked.count(box.id) ? "1" : "0";
  expected["quell-pfad"] = utf8Path(library.large);
  expected["ziel-pfad"] = utf8Path(library.target);
  expected["cover-pfad"] = utf8Path(library.covers);
  checkIni(ini, expected);

  // Run 2: the settings come back; the close box during a scan.
  std::printf("run 2: settings restored, close box during a scan\n");
  {
    Program program = start(exe);
    expect(controlText(program.sortPage, sourceEdit) == text(library.large), "source folder restored");
    expect(controlText(program.sortPage, targetEdit) == text(library.target), "target folder restored");
    expect(controlText(program.sortPage, filesCounter) == L"0", "counters start at 0");
    selectPage(program.sheet, 1);
    HWND options = waitForPage(program.sheet, clearCrcButton, startTimeoutMs);
    if (!options) fatal("the options page is missing");
    for (const OptionBox& box : optionBoxes) {
      expect(isChecked(options, box.id) == (ticked.count(box.id) != 0),
             std::string("check mark restored: ") + box.key);
    }
    selectPage(program.sheet, 0);
    typeText(program.sortPage, targetEdit, text(library.target2));
    startLongScan(program, 0);
    ::PostMessageW(program.sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
    expectExit(program, "the close box during a scan");
    checkStoppedScan(library, library.target2, std::nullopt);
  }
  expected["ziel-pfad"] = utf8Path(library.target2);
  checkIni(ini, expected);

  // Run 3: OK during a scan takes over what was typed meanwhile.
  std::printf("run 3: OK during a scan\n");
  {
    Program program = start(exe);
    typeText(program.sortPage, targetEdit, text(library.target3));
    startLongScan(program, 0);
    typeText(program.sortPage, coverEdit, text(library.covers2));
    click(program.sheet, IDOK);
    expectExit(program, "OK during a scan");
    checkStoppedScan(library, library.target3, std::nullopt);
  }
  expected["ziel-pfad"] = utf8Path(library.target3);
  expected["cover-pfad"] = utf8Path(library.covers2);
  checkIni(ini, expected);

  if (failureCount() == 0) {
    fs::remove_all(root, ec);
    std::printf("end-to-end test passed\n");
    return 0;
  }
  std::printf("%d expectation(s) failed; the work folder %ls is kept\n", failureCount(), root.c_str());
  return 1;
}
