#include "app/settings_file.h"

#include <gtest/gtest.h>

#include <cstdint>
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

// A complete CRC.BIN holding count entries.
std::string tableFile(std::uint32_t count) {
  std::string bytes(tableFileSize, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((count >> (8 * i)) & 0xFF);
  for (std::uint32_t k = 0; k < count; ++k) {
    bytes[4 + 8 * k] = static_cast<char>(k + 1);      // size
    bytes[8 + 8 * k] = static_cast<char>(0x40 + k);   // checksum
  }
  return bytes;
}

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
  EXPECT_EQ(settings.quellPfad, folder);
  EXPECT_EQ(settings.zielPfad, folder);
  EXPECT_EQ(settings.coverPfad, folder);
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_TRUE(checksumBuffer != nullptr);
  EXPECT_TRUE(duplicateStorageAllocated());

  saveSettings();
  std::string expected = "[general]" + nl;
  for (const char* key : {"crc", "crc-save", "cover", "unbekannt", "genre", "kuenstler", "saeubern",
                          "nursaeubern", "umbenennen", "makealbum", "loeschen", "rekursiv",
                          "kollision", "norename"}) {
    expected += std::string(key) + "=0" + nl;
  }
  for (const char* key : {"quell-pfad", "ziel-pfad", "cover-pfad"}) {
    expected += std::string(key) + "=" + folder + nl;
  }
  EXPECT_EQ(readFile(iniPath), expected);
  EXPECT_FALSE(fileExists(duplicateTablePath()));
}

TEST_F(SettingsFileTest, HandWrittenIniKeepsEverythingButTheValues) {
  writeFile(iniPath,
            "; Liedkorb\r\n"
            "[Fenster]\r\n"
            "x=10\r\n"
            "\r\n"
            "[GENERAL]\r\n"
            "CRC=1\r\n"
            "Crc-Save = 0\r\n"
            "cover=-3\r\n"
            "Kollision=5\r\n"
            "quell-pfad=/data/Musik\r\n"
            "; Ziel folgt\r\n"
            "ZIEL-PFAD =  /data/Sortiert  \r\n"
            "cover-pfad=\r\n"
            "rekursiv=1 ; mit Unterordnern\r\n"
            "\r\n"
            "[extra]\r\n"
            "crc=0\r\n");
  loadSettings();
  EXPECT_EQ(settings.crc, 1);
  EXPECT_EQ(settings.crcSave, 0);
  EXPECT_EQ(settings.cover, -3);
  EXPECT_EQ(settings.kollision, 5);
  EXPECT_EQ(settings.rekursiv, 1);
  EXPECT_EQ(settings.genre, 0);
  EXPECT_EQ(settings.norename, 0);
  EXPECT_EQ(settings.quellPfad, "/data/Musik");
  EXPECT_EQ(settings.zielPfad, "/data/Sortiert");
  EXPECT_EQ(settings.coverPfad, "");  // present but empty: not the default

  settings.kuenstler = 1;
  settings.quellPfad = "/data/Neu";
  saveSettings();
  EXPECT_EQ(readFile(iniPath),
            "; Liedkorb\r\n"
            "[Fenster]\r\n"
            "x=10\r\n"
            "\r\n"
            "[GENERAL]\r\n"
            "CRC=1\r\n"
            "Crc-Save = 0\r\n"
            "cover=-3\r\n"
            "Kollision=5\r\n"
            "quell-pfad=/data/Neu\r\n"
            "; Ziel folgt\r\n"
            "ZIEL-PFAD =  /data/Sortiert\r\n"
            "cover-pfad=\r\n"
            "rekursiv=1\r\n"
            "unbekannt=0\r\n"
            "genre=0\r\n"
            "kuenstler=1\r\n"
            "saeubern=0\r\n"
            "nursaeubern=0\r\n"
            "umbenennen=0\r\n"
            "makealbum=0\r\n"
            "loeschen=0\r\n"
            "norename=0\r\n"
            "\r\n"
            "[extra]\r\n"
            "crc=0\r\n");
}

TEST_F(SettingsFileTest, LongPathsAreCutAtACharacterBoundary) {
  const std::string a300 = "/" + std::string(299, 'p');
  const std::string full = std::string(maxPathLength - 2, 'a') + "\xC3\xB6";    // ends at the limit
  const std::string split = std::string(maxPathLength - 1, 'a') + "\xC3\xB6" "b";  // ö across it
  const std::string cp1252 = std::string(maxPathLength - 1, 'a') + "\xFC";       // ü: 2 bytes as UTF-8
  writeFile(iniPath, "[general]\nquell-pfad=" + a300 + "\nziel-pfad=" + full + "\ncover-pfad=" + split +
                         "\n");
  loadSettings();
  EXPECT_EQ(settings.quellPfad, a300.substr(0, maxPathLength));
  EXPECT_EQ(settings.zielPfad, full);
  EXPECT_EQ(settings.coverPfad, std::string(maxPathLength - 1, 'a'));

  writeFile(iniPath, "[general]\nquell-pfad=" + cp1252 + "\n");
  loadSettings();
  EXPECT_EQ(settings.quellPfad, std::string(maxPathLength - 1, 'a'));
}

TEST_F(SettingsFileTest, Windows1252ValuesAreReadAndWrittenBackAsUtf8) {
  writeFile(iniPath, "; f\xFCr alte Versionen\n[general]\nziel-pfad=/Musik/F\xFCr Elise\ncover-pfad=/Bilder/\x80\n");
  loadSettings();
  EXPECT_EQ(settings.zielPfad, "/Musik/F\xC3\xBCr Elise");
  EXPECT_EQ(settings.coverPfad, "/Bilder/\xE2\x82\xAC");
  saveSettings();
  const std::string saved = readFile(iniPath);
  EXPECT_TRUE(saved.starts_with("; f\xFCr alte Versionen\n[general]\nziel-pfad=/Musik/F\xC3\xBCr Elise\n"
                                "cover-pfad=/Bilder/\xE2\x82\xAC\n"))
      << saved;
}

TEST_F(SettingsFileTest, CrcSaveWithMissingOrShortTableFile) {
  for (const bool present : {false, true}) {
    SCOPED_TRACE(present ? "short CRC.BIN" : "no CRC.BIN");
    recorder.messages.clear();
    freeDuplicateStorage();
    if (present) writeFile(duplicateTablePath(), tableFile(3).substr(0, tableFileSize - 1));
    writeFile(iniPath, "[general]\ncrc=1\ncrc-save=1\n");
    loadSettings();
    EXPECT_EQ(recorder.messages, tableFileError);
    EXPECT_EQ(settings.crc, 0);
    EXPECT_EQ(duplicateCount(), 0u);
    saveSettings();
    EXPECT_EQ(recorder.messages, tableFileError);
    EXPECT_EQ(savedInt("crc"), 0);
    EXPECT_EQ(savedInt("crc-save"), 1);
    const std::string saved = readFile(duplicateTablePath());
    EXPECT_EQ(saved.size(), tableFileSize);
    EXPECT_EQ(saved.substr(0, 4), std::string(4, '\0'));  // count
  }
}

TEST_F(SettingsFileTest, CrcSaveOffLeavesTheTableFileAlone) {
  const std::string table = tableFile(3);
  writeFile(duplicateTablePath(), table);
  writeFile(iniPath, "[general]\ncrc=1\ncrc-save=0\n");
  loadSettings();
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_EQ(settings.crc, 1);
  EXPECT_EQ(duplicateCount(), 0u);
  EXPECT_EQ(scanCounters.files, 0u);
  saveSettings();
  EXPECT_EQ(readFile(duplicateTablePath()), table);
  EXPECT_EQ(savedInt("crc"), 1);
}

TEST_F(SettingsFileTest, FailedSaveLeavesTheOldIniByteForByte) {
  const std::string old = "; mine\n[general]\ncrc=1\nquell-pfad=/alt\n";
  for (platform::faults::Op op : {platform::faults::Op::read, platform::faults::Op::create,
                                  platform::faults::Op::write, platform::faults::Op::replace}) {
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

}  // namespace
