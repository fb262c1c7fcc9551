#include "app/options_page.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "common/controls.h"
#include "common/state.h"
#include "tests/support/test_support.h"

namespace {

// The clear button (209) is tested in the sort page's scans.
using OptionsPageTest = testing_support::TempFolderTest;

// The boxes of the options page, as the dialog template numbers them.
const std::pair<int, std::int32_t Settings::*> boxes[] = {
    {200, &Settings::rekursiv},  {201, &Settings::loeschen},   {202, &Settings::kuenstler},
    {203, &Settings::genre},     {204, &Settings::cover},      {205, &Settings::kollision},
    {206, &Settings::crc},       {207, &Settings::crcSave},    {208, &Settings::unbekannt},
    {210, &Settings::makealbum}, {211, &Settings::norename},   {212, &Settings::umbenennen},
    {213, &Settings::saeubern},  {101, &Settings::nursaeubern},
};

// Any value but 0 ticks the box, though the checks themselves want exactly 1.
TEST_F(OptionsPageTest, ChecksTheBoxesOfNonzeroFlags) {
  EXPECT_TRUE(optionsPageCheckedIds().empty());
  for (const auto& [id, flag] : boxes) {
    settings = Settings{};
    settings.*flag = 2;
    EXPECT_EQ(optionsPageCheckedIds(), std::vector<int>{id}) << id;
  }
}

TEST_F(OptionsPageTest, EachBoxFlipsItsOwnFlagOnly) {
  for (const auto& [id, flag] : boxes) {
    optionsPageCommand(id);
    for (const auto& [otherId, other] : boxes) {
      EXPECT_EQ(settings.*other, otherId == id ? 1 : 0) << id << " " << otherId;
    }
    optionsPageCommand(id);
    EXPECT_EQ(settings.*flag, 0) << id;
  }
  settings.kollision = 2;
  optionsPageCommand(205);
  EXPECT_EQ(settings.kollision, 3);  // a flip, as the INI value came
  optionsPageCommand(control::startButton);
  optionsPageCommand(65535);
  EXPECT_EQ(optionsPageCheckedIds(), std::vector<int>{205});
}

}  // namespace
