#include "app/win32/win32_shell.h"

#include <shlobj.h>

#include <memory>

#include "platform/win32/wide.h"

using platform::win32::toUtf8;
using platform::win32::toWideLenient;

HWND sortPageWindow = nullptr;

namespace {

struct ItemListFree {
  void operator()(ITEMIDLIST* list) const { ::CoTaskMemFree(list); }
};

// Opens the browser with the current folder selected.
int CALLBACK browseCallback(HWND browser, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

}  // namespace

void Win32Shell::setText(int controlId, std::string_view text) {
  if (!sortPageWindow) return;
  ::SetDlgItemTextW(sortPageWindow, controlId, toWideLenient(text).c_str());
}

void Win32Shell::setNumber(int controlId, std::uint32_t value) {
  if (!sortPageWindow) return;
  ::SetDlgItemInt(sortPageWindow, controlId, value, FALSE);
}

std::string Win32Shell::getText(int controlId) {
  if (!sortPageWindow) return {};
  HWND control = ::GetDlgItem(sortPageWindow, controlId);
  if (!control) return {};
  // The whole text: the caller decides what a too long path means, rather
  // than a fixed buffer cutting it here into some other path.
  int length = ::GetWindowTextLengthW(control);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  int got = ::GetWindowTextW(control, text.data(), length + 1);
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return toUtf8(text);
}

void Win32Shell::messageBox(std::string_view text, std::string_view caption) {
  ::MessageBoxW(::GetFocus(), toWideLenient(text).c_str(), toWideLenient(caption).c_str(), MB_OK);
}

// Takes every message waiting for this thread's windows and dispatches it,
// without waiting for more. A paint message stays queued until its window
// is painted, so it is fetched once more with GetMessageW, which returns at
// once with it or with a message of higher priority.
void Win32Shell::pumpMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_PAINT && ::GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      if (msg.message == WM_QUIT) ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (msg.message == WM_QUIT) {
      // Not ours to take: the message loop of the sheet must see it.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

bool Win32Shell::browseForFolder(std::string_view title, std::string_view startFolder,
                                 std::string& chosen) {
  std::wstring wideTitle = toWideLenient(title);
  std::wstring start = toWideLenient(startFolder);
  wchar_t displayName[MAX_PATH] = {};
  BROWSEINFOW info = {};
  info.hwndOwner = sortPageWindow;
  info.pidlRoot = nullptr;
  info.pszDisplayName = displayName;
  info.lpszTitle = wideTitle.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = browseCallback;
  info.lParam = reinterpret_cast<LPARAM>(start.c_str());
  info.iImage = 0;
  std::unique_ptr<ITEMIDLIST, ItemListFree> item(::SHBrowseForFolderW(&info));
  if (!item) return false;
  wchar_t path[MAX_PATH] = {};
  // An item outside the file system (a printer, the control panel) has no path.
  if (!::SHGetPathFromIDListW(item.get(), path) || path[0] == L'\0') return false;
  chosen = toUtf8(path);
  return true;
}
