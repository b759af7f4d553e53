#include "platform/win32/wide_text.h"

#include <limits>

namespace gbkhex::win32 {

std::optional<std::wstring> WideFromUtf8(std::string_view utf8) {
  if (utf8.empty()) return std::wstring();
  if (utf8.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return std::nullopt;
  const int length = static_cast<int>(utf8.size());
  const int units =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
  if (units <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, wide.data(), units);
  return wide;
}

std::string Utf8FromWide(const wchar_t* wide) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), size, nullptr, nullptr);
  utf8.resize(utf8.size() - 1);  // the terminating null
  return utf8;
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
