#include "app/win32/close_guard.h"

#include <windows.h>
#include <commctrl.h>

#include "app/sort_page.h"
#include "common/state.h"

namespace {

constexpr UINT_PTR subclassId = 1;

// Calls of startStop on the stack: a press of "&Abbruch" during a scan nests
// a second one inside the first.
int startStopDepth = 0;

struct HeldClose {
  HWND sheet = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};
HeldClose held;

bool isCloseRequest(UINT message, WPARAM wParam) {
  switch (message) {
    case WM_CLOSE:
      return true;
    case WM_SYSCOMMAND:
      return (wParam & 0xFFF0) == SC_CLOSE;
    case WM_COMMAND:
      return LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL;
    default:
      return false;
  }
}

LRESULT CALLBACK sheetSubclass(HWND sheet, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR) {
  if (startStopDepth > 0 && isCloseRequest(message, wParam)) {
    // The first request wins; the scan winds down after the file in hand.
    if (!held.sheet) held = HeldClose{sheet, message, wParam, lParam};
    scanRunning = 0;
    return 0;
  }
  if (message == WM_NCDESTROY) ::RemoveWindowSubclass(sheet, sheetSubclass, subclassId);
  return ::DefSubclassProc(sheet, message, wParam, lParam);
}

}  // namespace

void guardSheetClose(HWND sheet) {
  if (sheet) ::SetWindowSubclass(sheet, sheetSubclass, subclassId, 0);
}

void guardedStartStop() {
  // The sheet is on its way out: a press queued behind the close must not
  // start a new scan that the close would then wait for.
  if (held.sheet) return;
  ++startStopDepth;
  startStop();
  --startStopDepth;
  if (startStopDepth == 0 && held.sheet) {
    // Posted, not sent: the sheet closes from its own message loop, after
    // this button press has been handled completely.
    HeldClose request = held;
    held = HeldClose{};
    ::PostMessageW(request.sheet, request.message, request.wParam, request.lParam);
  }
}
