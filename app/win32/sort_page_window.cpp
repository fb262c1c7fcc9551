// The sort page ("MAIN"): binds its controls to the page logic.
#include <windows.h>
#include <commctrl.h>

#include "app/sort_page.h"
#include "app/win32/close_guard.h"
#include "app/win32/page_procedures.h"
#include "app/win32/win32_shell.h"
#include "common/controls.h"

INT_PTR CALLBACK sortPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      sortPageWindow = page;
      guardSheetClose(::GetParent(page));
      sortPageInit();
      break;
    case WM_NOTIFY:
      // Leaving the page and OK: what was typed becomes the settings.
      // Cancel and the close box send no PSN_KILLACTIVE.
      if (reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(PSN_KILLACTIVE)) {
        readPathEdits();
      }
      break;
    case WM_COMMAND:
      // Only the id counts: the buttons send nothing but BN_CLICKED, and
      // the edits' notifications carry ids that are not handled here.
      switch (LOWORD(wParam)) {
        case control::startButton:
          guardedStartStop();
          break;
        case control::browseTarget:
        case control::browseCover:
        case control::browseSource:
          browseForFolder(LOWORD(wParam));
          break;
        default:
          break;
      }
      break;
    case WM_DESTROY:
      // The scan's displays and messages may outlive the page (saving the
      // settings can report a failure); they must not reach a dead window.
      if (sortPageWindow == page) sortPageWindow = nullptr;
      break;
    default:
      break;
  }
  return 0;
}
