#include "window/win32/wide_text.h"

#include <limits>
#include <stdexcept>

namespace gbkhex::win32 {

std::wstring WideFromUtf8(std::string_view utf8) {
  if (utf8.empty()) return {};
  if (utf8.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    throw std::length_error("text too long to convert");
  }
  const int length = static_cast<int>(utf8.size());
  const int units =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
  if (units <= 0) throw std::invalid_argument("not UTF-8");
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, wide.data(), units);
  return wide;
}

void ReadWindowText(HWND window, std::wstring& text) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) {
    text.clear();
    return;
  }
  // GetWindowTextLength may overstate the length, never understate it.
  text.resize(static_cast<std::size_t>(length));
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
}

}  // namespace gbkhex::win32
