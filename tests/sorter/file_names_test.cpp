#include <gtest/gtest.h>

#include <string>

#include "sorter/file_names.h"

namespace {

struct CleanCase {
  std::string name;
  std::string cleaned;
};

class CleanFileNameTest : public ::testing::TestWithParam<CleanCase> {};

TEST_P(CleanFileNameTest, Cleans) {
  EXPECT_EQ(cleanFileName(GetParam().name), GetParam().cleaned);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CleanFileNameTest,
    ::testing::Values(
        CleanCase{"Rock & Roll", "Rock and Roll"}, CleanCase{"Über Äpfel ß", "Ueber Aepfel ss"},
        CleanCase{"Öl ö ü Ü ä", "Oel oe ue Ue ae"}, CleanCase{"@home", " at home"},
        CleanCase{"a@b&c", "a at b and c"}, CleanCase{"(!)", ""},
        CleanCase{"It's a.b,c [x]", "Its abc x"},
        // Accented letters other than the seven are dropped, not simplified.
        CleanCase{"Café Señor", "Caf Seor"}, CleanCase{"keep-this_one 9", "keep-this_one 9"},
        CleanCase{"  two   runs  ", " two runs "},
        // Bytes that are no UTF-8 character go one by one.
        CleanCase{std::string("a\xFF"
                              "b\xC3",
                              4),
                  "ab"},
        CleanCase{std::string(50, 'x'), std::string(38, 'x')},
        // The cut may end in a space, which stays.
        CleanCase{std::string(37, 'y') + " tail", std::string(37, 'y') + " "},
        // Expansion happens before the cut: 30 letters and " and " and more.
        CleanCase{std::string(30, 'z') + "&tail", std::string(30, 'z') + " and tai"}));

struct RunCase {
  std::string text;
  char c;
  std::string collapsed;
};

TEST(CollapseRunsTest, KeepsTheFirstOfEveryRun) {
  const RunCase cases[] = {
      {"", ' ', ""},         {"   ", ' ', " "},     {"a  b   c", ' ', "a b c"},
      {"--x--", '-', "-x-"}, {"xyyyx", 'y', "xyx"}, {"no runs", 'q', "no runs"},
  };
  for (const RunCase& c : cases) {
    std::string text = c.text;
    collapseRuns(text, c.c);
    EXPECT_EQ(text, c.collapsed) << '"' << c.text << '"';
  }
}

}  // namespace
