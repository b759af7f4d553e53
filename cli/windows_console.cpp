#include "cli/windows_console.h"

#include <cstddef>

namespace gbkhex::cli {
namespace {

constexpr std::size_t kDrainSize = 64 * 1024;

// Where the last character of `utf8` that is whole ends: a lead byte among the
// last three bytes whose sequence runs past the end starts a character cut short.
std::size_t WholeCharactersEnd(const std::string& utf8) noexcept {
  for (std::size_t back = 1; back <= 3 && back <= utf8.size(); ++back) {
    const auto byte = static_cast<unsigned char>(utf8[utf8.size() - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return length > back ? utf8.size() - back : utf8.size();
  }
  return utf8.size();
}

}  // namespace

bool IsConsole(HANDLE handle) noexcept {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

ConsoleBuffer::~ConsoleBuffer() { Drain(true); }

std::streamsize ConsoleBuffer::xsputn(const char* text, std::streamsize count) {
  if (failed_) return 0;
  pending_.append(text, static_cast<std::size_t>(count));
  if (pending_.size() >= kDrainSize && !Drain(false)) return 0;
  return count;
}

ConsoleBuffer::int_type ConsoleBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char byte = traits_type::to_char_type(c);
  return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

int ConsoleBuffer::sync() { return Drain(false) ? 0 : -1; }

bool ConsoleBuffer::Drain(bool all) {
  if (failed_) return false;
  const std::size_t end = all ? pending_.size() : WholeCharactersEnd(pending_);
  if (end == 0) return true;
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, pending_.data(), static_cast<int>(end), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, pending_.data(), static_cast<int>(end), wide.data(), size);
  for (std::size_t done = 0; done < wide.size();) {
    DWORD written = 0;
    const auto count = static_cast<DWORD>(wide.size() - done);
    if (!WriteConsoleW(console_, wide.data() + done, count, &written, nullptr) || written == 0) {
      failed_ = true;
      return false;
    }
    done += written;
  }
  pending_.erase(0, end);
  return true;
}

}  // namespace gbkhex::cli
