#include "app/win32/page_procedures.h"

INT_PTR CALLBACK infoPageProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
