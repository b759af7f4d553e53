#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace gbkhex {

// How an input's bytes encode its text.
enum class InputEncoding { Utf8, Utf16Le, Utf16Be, CodePage936 };

constexpr bool IsUtf16(InputEncoding encoding) noexcept {
  return encoding == InputEncoding::Utf16Le || encoding == InputEncoding::Utf16Be;
}

// What the start of an input says of it.
struct InputStart {
  InputEncoding encoding = InputEncoding::Utf8;
  std::size_t byteOrderMarkSize = 0;  // bytes to skip
};

// The encoding of an input that starts with `first` (its first three bytes,
// fewer for a shorter input): a UTF-8 byte-order mark is skipped, a UTF-16
// one chooses UTF-16 of its byte order; input said to be code page 936 is
// taken as it is.
InputStart DetectEncoding(std::span<const std::uint8_t> first, bool codePage936) noexcept;

// The longest that a character's bytes can be in any of the encodings, so the
// longest tail that a step can leave for more input to complete.
inline constexpr std::size_t kMaxCharacterBytes = 4;

struct DecodeStep {
  std::size_t bytesRead = 0;  // the well-formed bytes decoded, from the start
  std::size_t unitsWritten = 0;
  // Bytes at bytesRead that are no text in the encoding, as one fault; 0 when
  // decoding stopped for want of input (or at its end).
  std::size_t illFormed = 0;
  bool cutShort = false;  // the ill-formed bytes are a character that the input's end cuts short
};

// Decodes `bytes` into UTF-16 units at `out` (room for bytes.size() units),
// stopping at the first ill-formed sequence, or before a character that the
// bytes cut short unless `atEnd` says no more bytes come, where that tail is
// ill-formed. Surrogate halves that pair with nothing are ill-formed UTF-16.
DecodeStep DecodeInput(InputEncoding encoding, std::span<const std::uint8_t> bytes, char16_t* out,
                       bool atEnd) noexcept;

// What is wrong with the ill-formed `bytes` that DecodeInput found:
// "invalid UTF-8 (byte C0)".
std::string DescribeIllFormed(InputEncoding encoding, std::span<const std::uint8_t> bytes);

// Whether the ill-formed UTF-8 at the start of `bytes` reads as code page 936
// instead: as a two-byte character whose trail byte is no ASCII, as in all of
// GB 2312 (text in another 8-bit code page, where a letter with an accent
// mostly stands before ASCII, seldom reads so).
bool LooksLikeCodePage936(std::span<const std::uint8_t> bytes) noexcept;

}  // namespace gbkhex
