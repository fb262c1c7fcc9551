#include "app/ini_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

namespace {

using namespace std::literals;

TEST(IniLookup, FindsKeysAsTheProfileCallsDo) {
  const IniFile ini = parseIniText(
      "crc=7\n"  // before any section: belongs to none
      "[other]\ncrc=8\n"
      "  [ GeNeRaL ]  ; trailing text\n"
      "; crc=9\n#crc=9\n"
      "CRC = 1 \ncrc=2\n"  // the first of two wins
      "quoted=\"  spaced  \"\nsingle='x'\nunpaired=\"x\nempty=\nnul=ab\0cd\n"
      "Umlaut=F\xFCr\n"  // Windows-1252 from an older version
      "utf8=F\xC3\xBCr\n"
      "[general]\nlate=1\n"sv);  // a second section of that name is not read
  const std::tuple<const char*, const char*, std::optional<std::string>> cases[] = {
      {"general", "crc", "1"},
      {"other", "crc", "8"},
      {"general", "quoted", "  spaced  "},
      {"general", "single", "x"},
      {"general", "unpaired", "\"x"},
      {"general", "empty", ""},
      {"general", "nul", "ab"},
      {"general", "Umlaut", "F\xC3\xBCr"},
      {"general", "utf8", "F\xC3\xBCr"},
      {"general", "late", std::nullopt},
      {"general", "missing", std::nullopt},
      {"absent", "crc", std::nullopt},
  };
  for (const auto& [section, key, value] : cases) {
    EXPECT_EQ(iniValue(ini, section, key), value) << section << "/" << key;
  }
}

TEST(IniLookup, ReadsIntegersLikeGetPrivateProfileInt) {
  // No hexadecimal ("0" and then text); past 32 bits the value wraps.
  const std::pair<const char*, std::int32_t> cases[] = {
      {"  42", 42},
      {"-7", -7},
      {"+3", 3},
      {"12abc", 12},
      {"abc", 0},
      {"- 5", 0},
      {"0x10", 0},
      {"2147483647", 2147483647},
      {"2147483648", INT32_MIN},
      {"4294967295", -1},
      {"4294967296", 0},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(parseProfileInt(text), value) << text;
  const IniFile ini = parseIniText("[general]\nempty=\nblank=   \nflag=\"5\"\n");
  for (const char* key : {"missing", "empty", "blank"})
    EXPECT_EQ(iniInt(ini, "general", key, 9), 9);
  EXPECT_EQ(iniInt(ini, "general", "flag", 9), 5);
}

TEST(IniEdit, ChangesOnlyTheLineOfTheKey) {
  const std::tuple<std::string, const char*, const char*, std::string> cases[] = {
      // A missing key goes after the last key of its section (more in the
      // settings file's tests).
      {"[general]\n; nothing yet\n[next]\n", "crc", "1",
       "[general]\ncrc=1\n; nothing yet\n[next]\n"},
      {"[general]\ncrc=1", "cover", "1", "[general]\ncrc=1\ncover=1\n"},
      // A missing section goes at the end, with the file's first line ending.
      {"\xEF\xBB\xBF[other]\r\na=b", "crc", "1",
       "\xEF\xBB\xBF[other]\r\na=b\r\n[general]\r\ncrc=1\r\n"},
      {"[general]\r\na=1\nb=2\r\n", "c", "3", "[general]\r\na=1\nb=2\r\nc=3\r\n"},
      // Bytes that are not UTF-8 elsewhere stay as they are.
      {"; F\xFCr\n[general]\nx=F\xFCr\n", "crc", "1", "; F\xFCr\n[general]\nx=F\xFCr\ncrc=1\n"},
  };
  for (const auto& [before, key, value, after] : cases) {
    IniFile ini = parseIniText(before);
    ASSERT_TRUE(setIniValue(ini, "general", key, value)) << before;
    EXPECT_EQ(iniText(ini), after) << before;
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
  for (const std::string& value : {"a\nb=1"s, "a\rb"s, "a\0b"s}) {
    EXPECT_FALSE(setIniValue(ini, "general", "key", value));
  }
  EXPECT_EQ(iniText(ini), "[general]\nkey=old\n");
}

}  // namespace
