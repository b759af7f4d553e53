#include "platform/file_input.h"

#include <cerrno>

#ifdef _WIN32
#include <optional>

#include "platform/win32/wide_text.h"
#endif

namespace gbkhex::platform {

// The bytes that arrived before a failure count: they are handed over first,
// and the failure comes with the next read.
std::size_t FileInputBuffer::Read(char* buffer, std::size_t count) {
  if (failure_ != 0) {
    throw ReadFailure(i18n::SystemErrorText(failure_));
  }
  errno = 0;
  const std::size_t got = std::fread(buffer, 1, count, file_);
  if (got < count && std::ferror(file_)) {
    failure_ = errno == 0 ? EIO : errno;
    if (got == 0) return Read(buffer, count);
  }
  return got;
}

std::streamsize FileInputBuffer::xsgetn(char* buffer, std::streamsize count) {
  std::streamsize taken = 0;
  if (gptr() < egptr() && count > 0) {
    *buffer = *gptr();
    gbump(1);
    taken = 1;
  }
  return taken + static_cast<std::streamsize>(
                     Read(buffer + taken, static_cast<std::size_t>(count - taken)));
}

FileInputBuffer::int_type FileInputBuffer::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  if (Read(&last_, 1) == 0) return traits_type::eof();
  setg(&last_, &last_, &last_ + 1);
  return traits_type::to_int_type(last_);
}

FilePointer OpenForReading(const std::string& utf8Name) {
#ifdef _WIN32
  const std::optional<std::wstring> wide = win32::WideFromUtf8(utf8Name);
  if (!wide) {
    errno = EINVAL;
    return nullptr;
  }
  return FilePointer(_wfopen(wide->c_str(), L"rb"));
#else
  return FilePointer(std::fopen(utf8Name.c_str(), "rb"));
#endif
}

WholeInput ReadWhole(std::istream& in) {
  constexpr std::size_t kStep = 64 * 1024;
  std::string text;
  for (;;) {
    const std::size_t start = text.size();
    text.resize(start + kStep);
    ReadResult read = ReadInput(*in.rdbuf(), text.data() + start, kStep);
    text.resize(start + read.size);
    if (read.size < kStep) return {std::move(text), std::move(read.failure)};
  }
}

}  // namespace gbkhex::platform
