#include <gtest/gtest.h>

#include "tags/genre_table.h"

namespace {

TEST(GenreTable, Boundaries) {
  const std::pair<int, std::string_view> cases[] = {
      {0, "Blues"},      {14, "R&B"},         {17, "Rock"},      {40, "AlternRock"},
      {62, "Pop/Funk"},  {67, "Psychadelic"}, {79, "Hard Rock"}, {80, "Folk"},
      {85, "Bebob"},     {123, "A capella"},  {125, "Dance Hall"}, {126, ""},
      {127, ""},         {128, "unbekannt"},  {200, "unbekannt"}, {255, "unbekannt"},
  };
  for (const auto& [code, name] : cases) {
    EXPECT_EQ(genreName(static_cast<unsigned char>(code)), name) << code;
  }
}

TEST(GenreTable, EveryCodeBelow126IsNamedAndFitsItsSlot) {
  std::size_t longest = 0;
  for (int code = 0; code < 126; ++code) {
    std::string_view name = genreName(static_cast<unsigned char>(code));
    EXPECT_FALSE(name.empty()) << code;
    longest = std::max(longest, name.size());
  }
  EXPECT_EQ(longest, 17u);
}

}  // namespace
