#include "tests/win32/sheet_driver.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace e2e {
namespace {

int failures = 0;
HANDLE watchedProcess = nullptr;
DWORD watchedPid = 0;

// What the program shows when a run gets stuck: a message box, mostly.
BOOL CALLBACK listWindow(HWND window, LPARAM) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  if (pid != watchedPid || !::IsWindowVisible(window)) return TRUE;
  wchar_t caption[128] = {};
  ::GetWindowTextW(window, caption, 128);
  std::printf("  window of the program: \"%ls\"\n", caption);
  HWND child = nullptr;
  while ((child = ::FindWindowExW(window, child, L"Static", nullptr)) != nullptr) {
    wchar_t text[256] = {};
    ::GetWindowTextW(child, text, 256);
    if (text[0]) std::printf("    text: \"%ls\"\n", text);
  }
  return TRUE;
}

// Long enough for a file in hand to be finished under Wine on a busy machine.
constexpr UINT messageTimeoutMs = 10000;

LRESULT send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, messageTimeoutMs, &result)) {
    fatal("the program did not answer a message in time");
  }
  return static_cast<LRESULT>(result);
}

struct PageSearch {
  HWND sheet;
  int controlId;
  HWND found;
};

BOOL CALLBACK pageCandidate(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<PageSearch*>(data);
  if (::GetParent(window) != search->sheet) return TRUE;
  wchar_t className[16] = {};
  ::GetClassNameW(window, className, 16);
  if (std::wstring_view(className) != L"#32770") return TRUE;
  if (!::GetDlgItem(window, search->controlId)) return TRUE;
  search->found = window;
  return FALSE;
}

struct SheetSearch {
  DWORD pid;
  const wchar_t* caption;
  HWND found;
};

BOOL CALLBACK sheetCandidate(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<SheetSearch*>(data);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid || !::IsWindowVisible(window)) return TRUE;
  wchar_t caption[64] = {};
  ::GetWindowTextW(window, caption, 64);
  if (std::wstring_view(caption) != search->caption) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

void expect(bool ok, std::string_view what) {
  if (ok) return;
  ++failures;
  std::printf("FAILED: %.*s\n", static_cast<int>(what.size()), what.data());
  std::fflush(stdout);
}

void watchProgram(HANDLE process, DWORD pid) {
  watchedProcess = process;
  watchedPid = pid;
}

void fatal(std::string_view what) {
  expect(false, what);
  if (watchedProcess) {
    ::EnumWindows(listWindow, 0);
    ::TerminateProcess(watchedProcess, 99);
  }
  std::printf("%d expectation(s) failed, run stopped\n", failures);
  std::fflush(stdout);
  std::exit(1);
}

int failureCount() { return failures; }

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
  ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  while (true) {
    if (done()) return true;
    if (::GetTickCount64() > end) return false;
    ::Sleep(5);
  }
}

HWND waitForSheet(DWORD pid, const wchar_t* caption, int timeoutMs) {
  SheetSearch search{pid, caption, nullptr};
  waitUntil(
      [&] {
        ::EnumWindows(sheetCandidate, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeoutMs);
  return search.found;
}

HWND waitForPage(HWND sheet, int controlId, int timeoutMs) {
  PageSearch search{sheet, controlId, nullptr};
  waitUntil(
      [&] {
        ::EnumChildWindows(sheet, pageCandidate, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeoutMs);
  return search.found;
}

std::wstring controlText(HWND page, int controlId) {
  HWND control = ::GetDlgItem(page, controlId);
  if (!control) return L"<no control>";
  auto length = static_cast<std::size_t>(send(control, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(length + 1, L'\0');
  auto got = static_cast<std::size_t>(
      send(control, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data())));
  text.resize(got < length ? got : length);
  return text;
}

void typeText(HWND page, int controlId, std::wstring_view text) {
  HWND edit = ::GetDlgItem(page, controlId);
  if (!edit) fatal("an edit to type into is missing");
  std::wstring copy(text);
  send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()));
}

void click(HWND page, int controlId) {
  HWND button = ::GetDlgItem(page, controlId);
  if (!button) fatal("a button to click is missing");
  ::PostMessageW(button, BM_CLICK, 0, 0);
}

bool isChecked(HWND page, int controlId) {
  return send(::GetDlgItem(page, controlId), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void selectPage(HWND sheet, int index) { send(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0); }

bool screenshot(HWND window, const std::wstring& bmpPath) {
  // Let the program paint what the last messages changed.
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  ::Sleep(300);
  RECT rect;
  if (!::GetWindowRect(window, &rect)) return false;
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (bitmap && bits) {
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ok = ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != 0;
    ::GdiFlush();
    ::SelectObject(memory, old);
    if (ok) {
      std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
      std::size_t imageBytes = rowBytes * static_cast<std::size_t>(height);
      BITMAPFILEHEADER file{};
      file.bfType = 0x4D42;  // "BM"
      file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
      file.bfSize = static_cast<DWORD>(file.bfOffBits + imageBytes);
      info.bmiHeader.biSizeImage = static_cast<DWORD>(imageBytes);
      std::ofstream out(std::filesystem::path(bmpPath), std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(&file), sizeof file);
      out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(BITMAPINFOHEADER));
      out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(imageBytes));
      ok = out.good();
    }
  }
  if (bitmap) ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return ok;
}

}  // namespace e2e
