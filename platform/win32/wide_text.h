#pragma once

// Text between the UTF-8 that our programs hold and the UTF-16 that the W
// functions of Windows take and give.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace gbkhex::win32 {

// `utf8` as UTF-16, or nothing where it is not UTF-8 (or too long for the API).
std::optional<std::wstring> WideFromUtf8(std::string_view utf8);

// `wide` as UTF-8; a surrogate that is not half of a pair becomes U+FFFD.
std::string Utf8FromWide(const wchar_t* wide);

// Reads the whole text of a window or control into `text`, whose buffer a
// caller that reads again and again keeps.
void ReadWindowText(HWND window, std::wstring& text);

}  // namespace gbkhex::win32
