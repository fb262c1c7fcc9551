#include "app/settings_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/ini_file.h"
#include "common/limits.h"
#include "common/state.h"
#include "dupes/duplicate_table.h"
#include "platform/faults.h"
#include "platform/platform.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::fileExists;
using testing_support::listTree;
using testing_support::readFile;
using testing_support::writeFile;

const std::string nl = pathSeparator == '\\' ? "\r\n" : "\n";
constexpr std::size_t tableFileSize = 4 + 8 * std::size_t{duplicateCapacity};

using Messages = std::vector<std::pair<std::string, std::string>>;
const Messages tableFileError{{"Dateifehler bei CRC-Tabelle", "Fehler!"}};

// A table file whose count (0x07070707) is above the capacity: never loaded.
const std::string badTable(tableFileSize, '\x07');

class SettingsFileTest : public testing_support::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    iniPath = path("liedkorb.INI");
  }
  std::int32_t savedInt(const char* key) {
    return iniInt(parseIniText(readFile(iniPath)), "general", key, -99);
  }
};

TEST_F(SettingsFileTest, WithoutIniAllDefaultsThenAllKeysWritten) {
  settings.crc = 5;
  settings.quellPfad = "stale";
  loadSettings();
  for (const FlagKey& flag : flagKeys) EXPECT_EQ(settings.*flag.member, 0) << flag.key;
  const std::string folder = pathSeparator == '\\' ? std::string("C:\\") : platform::homeFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ((std::vector<std::string>{settings.quellPfad, settings.zielPfad, settings.coverPfad}),
            std::vector<std::string>(3, folder));
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_TRUE(checksumBuffer != nullptr);
  EXPECT_TRUE(duplicateStorageAllocated());

  saveSettings();
  std::string expected = "[general]" + nl;
  for (const char* key :
       {"crc", "crc-save", "cover", "unbekannt", "genre", "kuenstler", "saeubern", "nursaeubern",
        "umbenennen", "makealbum", "loeschen", "rekursiv", "kollision", "norename"}) {
    expected += std::string(key) + "=0" + nl;
  }
  for (const char* key : {"quell-pfad", "ziel-pfad", "cover-pfad"}) {
    expected += std::string(key) + "=" + folder + nl;
  }
  EXPECT_EQ(readFile(iniPath), expected);
  EXPECT_FALSE(fileExists(duplicateTablePath()));
}

// Windows-1252 text (from an older version) is read, and written back, as
// UTF-8 where it is a value; elsewhere it stays as it was.
TEST_F(SettingsFileTest, HandWrittenIniKeepsEverythingButTheValues) {
  const std::string head =
      "; Liedkorb f\xFCr alte Versionen\r\n[Fenster]\r\nx=10\r\n\r\n[GENERAL]\r\nCRC=1\r\n"
      "Crc-Save = 0\r\ncover=-3\r\nKollision=5\r\n";
  const std::string tail = "\r\n[extra]\r\ncrc=0\r\n";
  writeFile(iniPath, head +
                         "quell-pfad=/Musik/F\xFCr \x80\r\n; Ziel folgt\r\n"
                         "ZIEL-PFAD =  /data/Sortiert  \r\n"
                         "cover-pfad=\r\nrekursiv=1 ; mit Unterordnern\r\n" +
                         tail);
  loadSettings();
  EXPECT_EQ((std::vector<int>{settings.crc, settings.crcSave, settings.cover, settings.kollision,
                              settings.rekursiv, settings.genre}),
            (std::vector<int>{1, 0, -3, 5, 1, 0}));
  EXPECT_EQ(settings.quellPfad, "/Musik/F\xC3\xBCr \xE2\x82\xAC");
  EXPECT_EQ(settings.zielPfad, "/data/Sortiert");
  EXPECT_EQ(settings.coverPfad, "");  // present but empty: not the default

  settings.kuenstler = 1;
  settings.zielPfad = "/data/Neu";
  saveSettings();
  EXPECT_EQ(readFile(iniPath), head +
                                   "quell-pfad=/Musik/F\xC3\xBCr \xE2\x82\xAC\r\n"
                                   "; Ziel folgt\r\nZIEL-PFAD =  /data/Neu\r\n"
                                   "cover-pfad=\r\nrekursiv=1\r\nunbekannt=0\r\ngenre=0\r\n"
                                   "kuenstler=1\r\nsaeubern=0\r\nnursaeubern=0\r\n"
                                   "umbenennen=0\r\nmakealbum=0\r\nloeschen=0\r\n"
                                   "norename=0\r\n" +
                                   tail);
}

// Windows counts a path in UTF-16 units (ö one, U+1F3B5 two), POSIX in
// bytes (ö two, U+1F3B5 four).
TEST_F(SettingsFileTest, LongPathsAreCutAtACharacterBoundary) {
  constexpr bool units = pathSeparator == '\\';
  const std::string p300 = "/" + std::string(299, 'p');
  const std::string a(maxPathLength - 1, 'a');
  const std::string note = "\xF0\x9F\x8E\xB5";
  const std::pair<std::string, std::string> cases[] = {
      {p300, p300.substr(0, maxPathLength)},
      {a.substr(1) + "\xC3\xB6", a.substr(1) + "\xC3\xB6"},  // ö ends at or before the limit
      {a + "\xC3\xB6\x62", units ? a + "\xC3\xB6" : a},      // ö, or the b, across it
      {a + note, a},                                         // U+1F3B5 across it
      {a + "\xFC", units ? a + "\xC3\xBC" : a},              // Windows-1252 ü
  };
  for (const auto& [value, cut] : cases) {
    writeFile(iniPath, "[general]\nquell-pfad=" + value + "\n");
    loadSettings();
    EXPECT_EQ(settings.quellPfad, cut);
  }
}

TEST_F(SettingsFileTest, CrcSaveWithMissingOrShortTableFile) {
  for (const bool present : {false, true}) {
    SCOPED_TRACE(present ? "short CRC.BIN" : "no CRC.BIN");
    recorder.messages.clear();
    freeDuplicateStorage();
    if (present) writeFile(duplicateTablePath(), std::string(tableFileSize - 1, '\0'));
    writeFile(iniPath, "[general]\ncrc=1\ncrc-save=1\n");
    loadSettings();
    ASSERT_EQ(recorder.messages.size(), 1u);
    // A short file is damaged: it is kept aside, and the message says where.
    EXPECT_EQ(recorder.messages[0].first,
              present ? tableFileError[0].first + "\nDie unlesbare Datei bleibt erhalten als\n" +
                            duplicateTablePath() + ".defekt"
                      : tableFileError[0].first);
    EXPECT_EQ(settings.crc, 0);
    EXPECT_EQ(duplicateCount(), 0u);
    saveSettings();
    EXPECT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(savedInt("crc"), 0);
    EXPECT_EQ(savedInt("crc-save"), 1);
    const std::string saved = readFile(duplicateTablePath());
    EXPECT_EQ(saved.size(), tableFileSize);
    EXPECT_EQ(saved.substr(0, 4), std::string(4, '\0'));  // count
  }
}

TEST_F(SettingsFileTest, CrcSaveOffLeavesTheTableFileAlone) {
  writeFile(duplicateTablePath(), badTable);
  writeFile(iniPath, "[general]\ncrc=1\ncrc-save=0\n");
  loadSettings();
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_EQ(settings.crc, 1);
  saveSettings();
  EXPECT_EQ(readFile(duplicateTablePath()), badTable);
  EXPECT_EQ(savedInt("crc"), 1);
}

TEST_F(SettingsFileTest, FailedSaveLeavesTheOldIniByteForByte) {
  using platform::faults::Op;
  const std::string old = "; mine\n[general]\ncrc=1\nquell-pfad=/alt\n";
  for (Op op : {Op::create, Op::write, Op::sync, Op::replace}) {
    writeFile(iniPath, old);
    loadSettings();
    settings.crc = 0;
    settings.quellPfad = "/neu";
    platform::faults::reset();
    platform::faults::failNth(op, 1);
    saveSettings();
    platform::faults::reset();
    EXPECT_EQ(readFile(iniPath), old) << static_cast<int>(op);
    EXPECT_EQ(listTree(root()), (std::vector<std::string>{"config/", "liedkorb.INI"}));
    EXPECT_TRUE(recorder.messages.empty());
  }
}

// A file that cannot be read or understood (here: UTF-16, which holds NUL
// bytes) is kept under another name, never edited line by line.
TEST_F(SettingsFileTest, AnUnreadableIniIsKeptBeforeANewOneIsSaved) {
  const std::string utf16("\xFF\xFE[\0g\0]\0", 8);
  for (const std::string& old : {utf16, std::string("; mine\n[general]\ncrc=1\n")}) {
    std::filesystem::remove(testing_support::fsPath(iniPath + ".defekt"));
    writeFile(iniPath, old);
    loadSettings();
    recorder.messages.clear();
    platform::faults::reset();
    if (old != utf16) platform::faults::failNth(platform::faults::Op::read, 1);
    saveSettings();
    EXPECT_EQ(readFile(iniPath + ".defekt"), old);
    EXPECT_EQ(savedInt("crc"), old == utf16 ? 0 : 1);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].first,
              "Die Einstellungsdatei war unlesbar und bleibt erhalten als\n" + iniPath + ".defekt");
  }
}

}  // namespace
