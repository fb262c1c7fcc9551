#include "app/ini_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "common/limits.h"

namespace {

using namespace std::literals;

const std::string newFileEnding = pathSeparator == '\\' ? "\r\n" : "\n";

TEST(IniLookup, FindsKeysAsTheProfileCallsDo) {
  const IniFile ini = parseIniText(
      "crc=7\n"                      // before any section: belongs to none
      "[other]\n"
      "crc=8\n"
      "  [ GeNeRaL ]  ; trailing text\n"
      "; crc=9\n"
      "#crc=9\n"
      "CRC = 1 \n"
      "crc=2\n"                      // the first of two wins
      "quoted=\"  spaced  \"\n"
      "single='x'\n"
      "unpaired=\"x\n"
      "empty=\n"
      "nul=ab\0cd\n"
      "Umlaut=F\xFCr\n"              // Windows-1252 from an older version
      "utf8=F\xC3\xBCr\n"
      "[general]\n"
      "late=1\n"sv);                 // a second section of that name is not read
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> value;
  };
  const Case cases[] = {
      {"general", "crc", "1"},
      {"GENERAL", "Crc", "1"},
      {"other", "crc", "8"},
      {"general", "quoted", "  spaced  "},
      {"general", "single", "x"},
      {"general", "unpaired", "\"x"},
      {"general", "empty", ""},
      {"general", "nul", "ab"},
      {"general", "umlaut", "F\xC3\xBCr"},
      {"general", "utf8", "F\xC3\xBCr"},
      {"general", "late", std::nullopt},
      {"general", "missing", std::nullopt},
      {"absent", "crc", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(iniValue(ini, c.section, c.key), c.value) << c.section << "/" << c.key;
  }
}

TEST(IniLookup, ReadsIntegersLikeGetPrivateProfileInt) {
  struct Case {
    const char* text;
    std::int32_t value;
  };
  const Case cases[] = {
      {"0", 0},          {"1", 1},          {"  42", 42},     {"-7", -7},
      {"+3", 3},         {"12abc", 12},     {"abc", 0},       {"- 5", 0},
      {"0x10", 0},  // no hexadecimal: "0" then text
      {"2147483647", 2147483647},           {"2147483648", INT32_MIN},
      {"4294967295", -1},                   {"4294967296", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(parseProfileInt(c.text), c.value) << c.text;

  const IniFile ini = parseIniText("[general]\nempty=\nblank=   \nflag=\"5\"\n");
  EXPECT_EQ(iniInt(ini, "general", "missing", 9), 9);
  EXPECT_EQ(iniInt(ini, "general", "empty", 9), 9);
  EXPECT_EQ(iniInt(ini, "general", "blank", 9), 9);
  EXPECT_EQ(iniInt(ini, "general", "flag", 9), 5);
}

TEST(IniEdit, ChangesOnlyTheLineOfTheKey) {
  struct Case {
    const char* name;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
  };
  const Case cases[] = {
      {"replaced where it stands, spelling and spacing kept",
       "; head\r\n[General]\r\nCRC = 1 ; note\r\nother=x\r\n",
       "general", "crc", "0",
       "; head\r\n[General]\r\nCRC = 0\r\nother=x\r\n"},
      {"missing key after the last key of its section",
       "[general]\ncrc=1\n\n; about the next one\n[next]\na=b\n",
       "general", "cover", "0",
       "[general]\ncrc=1\ncover=0\n\n; about the next one\n[next]\na=b\n"},
      {"missing key in a section without keys",
       "[general]\n; nothing yet\n[next]\n",
       "general", "crc", "1",
       "[general]\ncrc=1\n; nothing yet\n[next]\n"},
      {"missing section at the end, CRLF as found",
       "\xEF\xBB\xBF[other]\r\na=b",
       "general", "crc", "1",
       "\xEF\xBB\xBF[other]\r\na=b\r\n[general]\r\ncrc=1\r\n"},
      {"missing key after an unterminated last line",
       "[general]\ncrc=1",
       "general", "cover", "1",
       "[general]\ncrc=1\ncover=1\n"},
      {"mixed endings kept line by line, the first one used for new lines",
       "[general]\r\na=1\nb=2\r\n",
       "general", "c", "3",
       "[general]\r\na=1\nb=2\r\nc=3\r\n"},
      {"bytes that are not UTF-8 elsewhere stay as they are",
       "; F\xFCr\n[general]\nx=F\xFCr\n",
       "general", "crc", "1",
       "; F\xFCr\n[general]\nx=F\xFCr\ncrc=1\n"},
      {"new file",
       "",
       "general", "crc", "0",
       "[general]" + newFileEnding + "crc=0" + newFileEnding},
  };
  for (const Case& c : cases) {
    IniFile ini = parseIniText(c.before);
    ASSERT_TRUE(setIniValue(ini, c.section, c.key, c.value)) << c.name;
    EXPECT_EQ(iniText(ini), c.after) << c.name;
  }
}

TEST(IniEdit, ValuesReadBackAsWritten) {
  for (const std::string value : {"plain", " leading", "trailing\t", "'quoted'", "\"quoted\"",
                                  "\" both \"", "\"", "", "C:\\Musik\\F\xC3\xBCr", "a=b;c"}) {
    IniFile ini = parseIniText("[general]\nkey=old\n");
    ASSERT_TRUE(setIniValue(ini, "general", "key", value)) << value;
    EXPECT_EQ(iniValue(parseIniText(iniText(ini)), "general", "key"), value) << value;
  }
  IniFile ini = parseIniText("[general]\nkey=old\n");
  const std::string unstorable[] = {"a\nb=1", "a\rb", std::string("a\0b", 3)};
  for (const std::string& value : unstorable) {
    EXPECT_FALSE(setIniValue(ini, "general", "key", value));
  }
  EXPECT_EQ(iniText(ini), "[general]\nkey=old\n");
}

}  // namespace
