#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

// Drives the property sheet of liedkorb.exe from another process, the way a
// user would: windows are found by caption and control id, buttons are
// clicked, edits typed into, and nothing of the program's insides is used.
namespace e2e {

// Records a failed expectation (printed at once); the run goes on.
void expect(bool ok, std::string_view what);
// Records a failure and ends the run; the program under test, when one was
// named with watchProgram, is shown (its windows listed) and ended first.
[[noreturn]] void fatal(std::string_view what);
void watchProgram(HANDLE process, DWORD pid);
int failureCount();

// Polls until done() holds or timeoutMs has passed.
bool waitUntil(const std::function<bool()>& done, int timeoutMs);

// The top-level window of process pid with this caption, waiting for it.
HWND waitForSheet(DWORD pid, const wchar_t* caption, int timeoutMs);
// The page of the sheet that holds a control with this id (pages are made
// when first shown), waiting for it; null when none appeared.
HWND waitForPage(HWND sheet, int controlId, int timeoutMs);

// Text of a control, through the message queue of its thread; the program
// answers between two files of a scan, so this may wait a little.
std::wstring controlText(HWND page, int controlId);
// Replaces an edit's text, as typing would.
void typeText(HWND page, int controlId, std::wstring_view text);
// Clicks a button without waiting for the program to handle it (a click on
// "&Start" returns only when the scan is over).
void click(HWND page, int controlId);
bool isChecked(HWND page, int controlId);
void selectPage(HWND sheet, int index);

// Saves what the screen shows of the window as a 24-bit BMP file.
bool screenshot(HWND window, const std::wstring& bmpPath);

}  // namespace e2e
