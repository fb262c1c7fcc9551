// The options page ("OPTIONS"): check marks from the flags, clicks to the
// page logic.
#include "app/options_page.h"
#include "app/win32/page_procedures.h"

INT_PTR CALLBACK optionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      for (int id : optionsPageCheckedIds()) ::CheckDlgButton(page, id, BST_CHECKED);
      break;
    case WM_COMMAND:
      // The box has flipped its own mark; the flag flips with it and the
      // box is never read back.
      optionsPageCommand(LOWORD(wParam));
      break;
    default:
      break;
  }
  return 0;
}
