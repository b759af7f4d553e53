#pragma once

#include <windows.h>

#include <streambuf>
#include <string>

namespace gbkhex::cli {

// Whether `handle` is a console rather than a file or a pipe.
bool IsConsole(HANDLE handle) noexcept;

// Text for a Windows console: the UTF-8 written to it reaches the console as
// UTF-16 through WriteConsoleW, so that Chinese reads right whatever the
// console's code page (936 on Chinese Windows, where UTF-8 bytes would show
// as other characters). A character that one write cuts short waits for the rest.
class ConsoleBuffer : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) noexcept : console_(console) {}
  ~ConsoleBuffer() override;

 protected:
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  // Writes what is pending up to its last whole character, or all of it.
  bool Drain(bool all);

  HANDLE console_;
  std::string pending_;
  bool failed_ = false;
};

}  // namespace gbkhex::cli
