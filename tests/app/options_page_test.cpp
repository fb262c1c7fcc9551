#include "app/options_page.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/controls.h"
#include "common/state.h"
#include "tests/support/test_support.h"

namespace {

// The clear button (209) is tested in the sort page's scans.
using OptionsPageTest = testing_support::TempFolderTest;

TEST_F(OptionsPageTest, ChecksTheBoxesOfNonzeroFlags) {
  EXPECT_TRUE(optionsPageCheckedIds().empty());
  std::vector<int> all;
  for (const FlagKey& flag : flagKeys) {
    settings.*flag.member = 1;
    all.push_back(flag.checkBoxId);
  }
  settings.crc = 2;  // ticked, though the check itself wants exactly 1
  EXPECT_EQ(optionsPageCheckedIds(), all);
}

TEST_F(OptionsPageTest, EachBoxFlipsItsOwnFlagOnly) {
  for (const FlagKey& flag : flagKeys) {
    optionsPageCommand(flag.checkBoxId);
    for (const FlagKey& other : flagKeys) {
      EXPECT_EQ(settings.*other.member, &other == &flag ? 1 : 0) << flag.key << " " << other.key;
    }
    optionsPageCommand(flag.checkBoxId);
    EXPECT_EQ(settings.*flag.member, 0) << flag.key;
  }
  settings.kollision = 2;
  optionsPageCommand(205);
  EXPECT_EQ(settings.kollision, 3);  // a flip, as the INI value came
  optionsPageCommand(control::startButton);
  optionsPageCommand(65535);
  EXPECT_EQ(optionsPageCheckedIds(), std::vector<int>{205});
}

}  // namespace
