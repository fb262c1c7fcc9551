#pragma once
#include <windows.h>

// Closing the sheet while a scan runs. The scan runs inside the sort page's
// handling of its start button, and the sheet's OK, Cancel and close box
// stay usable meanwhile. Tearing the sheet down under the running scan would
// leave it writing into a window that is gone, so a close that arrives
// during a scan stops the scan instead (after the file in hand, like
// "&Abbruch") and is carried out once the scan has returned.

// Watches the sheet's close requests from now on.
void guardSheetClose(HWND sheet);

// startStop, with the close held back while it runs. Once a close is held,
// presses of the button are ignored.
void guardedStartStop();
