#pragma once
#include <windows.h>

// The dialog procedures of the four pages. Each returns 0 for every message
// it is given, so the standard dialog behaviour does the rest.
INT_PTR CALLBACK sortPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK optionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
// The two information pages: nothing on them reacts. They still need a
// procedure, since a page without one is dropped by some implementations of
// the property sheet.
INT_PTR CALLBACK infoPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
