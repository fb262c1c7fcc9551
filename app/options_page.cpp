#include "app/options_page.h"

#include "common/controls.h"
#include "common/state.h"
#include "dupes/duplicate_table.h"

std::vector<int> optionsPageCheckedIds() {
  std::vector<int> ids;
  for (const FlagKey& flag : flagKeys) {
    if (settings.*flag.member != 0) ids.push_back(flag.checkBoxId);
  }
  return ids;
}

// The box flips its own mark and the flag flips with it; the box is never
// read back, so both change once per click. During a scan the engine sees
// the new value at its next use of the flag.
void optionsPageCommand(int controlId) {
  if (controlId == control::clearCrcButton) {
    clearDuplicateTable();
    return;
  }
  for (const FlagKey& flag : flagKeys) {
    if (flag.checkBoxId == controlId) {
      settings.*flag.member ^= 1;
      return;
    }
  }
}
