#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace gbkhex::win32 {

// The control table's UTF-8 captions as the UTF-16 text that the W functions take.
std::wstring WideFromUtf8(std::string_view utf8);

// Reads the whole text of a window or control into `text`, whose buffer a
// caller that reads again and again keeps.
void ReadWindowText(HWND window, std::wstring& text);

}  // namespace gbkhex::win32
