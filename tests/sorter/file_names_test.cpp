#include "sorter/file_names.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

namespace {

TEST(CleanFileNameTest, Table) {
  const std::pair<std::string, std::string> cases[] = {
      {"Rock & Roll", "Rock and Roll"},
      {"Über Äpfel ß Öl ö ü ä", "Ueber Aepfel ss Oel oe ue ae"},
      {"@home", " at home"},
      {"a@b&c", "a at b and c"},
      {"(!)", ""},
      {"It's a.b,c [x]", "Its abc x"},
      // Accented letters other than the seven are dropped, not simplified.
      {"Café Señor", "Caf Seor"},
      {"keep-this_one 9", "keep-this_one 9"},
      {"  two   runs  ", " two runs "},
      // Bytes that are no UTF-8 character go one by one.
      {"a\xFF\x62\xC3", "ab"},  // a, 0xFF, b, a lead byte at the end
      {std::string(50, 'x'), std::string(38, 'x')},
      // The cut may end in a space, which stays.
      {std::string(37, 'y') + " tail", std::string(37, 'y') + " "},
      // Expansion comes before the cut.
      {std::string(30, 'z') + "&tail", std::string(30, 'z') + " and tai"},
  };
  for (const auto& [name, cleaned] : cases) EXPECT_EQ(cleanFileName(name), cleaned) << name;
}

TEST(CollapseRunsTest, KeepsTheFirstOfEveryRun) {
  const std::tuple<std::string, char, std::string> cases[] = {
      {"", ' ', ""},         {"   ", ' ', " "},     {"a  b   c", ' ', "a b c"},
      {"--x--", '-', "-x-"}, {"xyyyx", 'y', "xyx"}, {"no runs", 'q', "no runs"},
  };
  for (const auto& [text, c, collapsed] : cases) {
    std::string out = text;
    collapseRuns(out, c);
    EXPECT_EQ(out, collapsed) << '"' << text << '"';
  }
}

}  // namespace
