#include "platform/win32/wide.h"

#include <windows.h>

#include <climits>

namespace platform::win32 {

bool toWide(std::string_view utf8, std::wstring& wide) {
  wide.clear();
  if (utf8.empty()) return true;
  if (utf8.size() > INT_MAX) return false;
  int length = static_cast<int>(utf8.size());
  int needed = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
  if (needed <= 0) return false;
  wide.resize(static_cast<std::size_t>(needed));
  if (::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, wide.data(), needed) !=
      needed) {
    wide.clear();
    return false;
  }
  // A NUL inside a path would silently cut it at the API.
  if (wide.find(L'\0') != std::wstring::npos) {
    wide.clear();
    return false;
  }
  return true;
}

std::wstring toWideLenient(std::string_view utf8) {
  std::wstring wide;
  if (utf8.empty() || utf8.size() > INT_MAX) return wide;
  int length = static_cast<int>(utf8.size());
  int needed = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
  if (needed <= 0) return wide;
  wide.resize(static_cast<std::size_t>(needed));
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), needed);
  return wide;
}

std::string toUtf8(std::wstring_view wide) {
  std::string utf8;
  if (wide.empty() || wide.size() > INT_MAX) return utf8;
  int length = static_cast<int>(wide.size());
  int needed = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return utf8;
  utf8.resize(static_cast<std::size_t>(needed));
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), needed, nullptr, nullptr);
  return utf8;
}

}  // namespace platform::win32
