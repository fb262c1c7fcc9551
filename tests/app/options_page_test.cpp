#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/options_page.h"
#include "common/controls.h"
#include "common/state.h"
#include "dupes/duplicate_table.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::TempFolderTest;

using OptionsPageTest = TempFolderTest;

TEST_F(OptionsPageTest, ChecksTheBoxesOfNonzeroFlags) {
  EXPECT_TRUE(optionsPageCheckedIds().empty());
  for (const FlagKey& flag : flagKeys) settings.*flag.member = 1;
  settings.crc = 2;  // ticked, though the check itself wants exactly 1
  std::vector<int> ids = optionsPageCheckedIds();
  std::vector<int> all;
  for (const FlagKey& flag : flagKeys) all.push_back(flag.checkBoxId);
  EXPECT_EQ(ids, all);
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

TEST_F(OptionsPageTest, ClearButtonEmptiesTheTableAndZeroesBothCounters) {
  ASSERT_TRUE(allocateDuplicateStorage());
  scanCounters = {7, 3};
  settings.crc = 1;
  settings.crcSave = 1;
  optionsPageCommand(control::clearCrcButton);
  EXPECT_EQ(duplicateCount(), 0u);
  EXPECT_EQ(recorder.numbers[control::filesCounter], 0u);
  EXPECT_EQ(recorder.numbers[control::duplicatesCounter], 0u);
  EXPECT_EQ(scanCounters.files, 0u);
  EXPECT_EQ(settings.crc, 1);
  EXPECT_EQ(settings.crcSave, 1);
}

}  // namespace
