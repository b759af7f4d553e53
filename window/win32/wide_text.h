#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace gbkhex::win32 {

// The control table's UTF-8 captions as the UTF-16 text that the W functions take.
std::wstring WideFromUtf8(std::string_view utf8);

// The converter's output is ASCII; every byte becomes the unit of the same value.
std::wstring WideFromAscii(std::string_view ascii);

// The whole text of a window or control.
std::wstring WindowText(HWND window);

}  // namespace gbkhex::win32
