#pragma once
#include <algorithm>
#include <string>
#include <string_view>

#include "common/state.h"
#include "dupes/checksum.h"
#include "dupes/duplicate_table.h"
#include "tests/support/test_support.h"

// A temporary folder with the checksum buffer and an empty duplicate table
// allocated and crc switched on, as after loadSettings.
class DupesTest : public testing_support::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_TRUE(allocateChecksumBuffer());
    ASSERT_TRUE(allocateDuplicateStorage());
    settings.crc = 1;
    lastByteCount = 0;
  }

  // Writes a file below the temporary folder and returns its path.
  std::string file(std::string_view name, std::string_view content) {
    testing_support::writeFile(path(name), content);
    return path(name);
  }

  // The check as placement makes it: a new file is stored and then recorded.
  static bool checkAndStore(std::string_view p) {
    if (checkDuplicate(p)) return true;
    recordStoredFile(p);
    return false;
  }

  static bool tableIsEmpty() {
    const DuplicateEntry* begin = duplicateTable.storage.get();
    return duplicateTable.count == 0 &&
           std::all_of(begin, begin + duplicateCapacity,
                       [](const DuplicateEntry& e) { return e.size == 0 && e.checksum == 0; });
  }
};
