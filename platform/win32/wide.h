#pragma once
#include <string>
#include <string_view>

// UTF-8 inside the program, UTF-16 at the Windows API. Shared by the
// platform backend and the Windows program.
namespace platform::win32 {

// False (and an empty result) for text that is not valid UTF-8, so that a
// damaged name can never turn into some other existing path.
bool toWide(std::string_view utf8, std::wstring& wide);

// A lone surrogate (possible in NTFS names) becomes U+FFFD.
std::string toUtf8(std::wstring_view wide);

// toWide for texts shown to the user: invalid bytes become U+FFFD instead of
// failing.
std::wstring toWideLenient(std::string_view utf8);

}  // namespace platform::win32
