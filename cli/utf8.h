#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace gbkhex::cli {

enum class Utf8Status {
  // Every byte was decoded.
  Complete,
  // The bytes from `bytesRead` on begin a well-formed sequence that the input
  // cuts short: more input may complete it.
  Truncated,
  // The bytes from `bytesRead` on are not well-formed UTF-8.
  Invalid,
};

struct Utf8Result {
  std::size_t bytesRead = 0;
  std::size_t unitsWritten = 0;
  Utf8Status status = Utf8Status::Complete;
};

// The longest tail that Truncated can leave behind: three bytes of a four-byte sequence.
inline constexpr std::size_t kMaxUtf8Carry = 3;

// Decodes well-formed UTF-8 into UTF-16 units, stopping before the first
// sequence that is ill-formed or cut short. Characters above U+FFFF become
// surrogate pairs. Overlong forms, encoded surrogates (ED A0..ED BF) and values
// above U+10FFFF are ill-formed. `out` must have room for bytes.size() units;
// no sequence yields more units than bytes.
Utf8Result DecodeUtf8(std::span<const std::uint8_t> bytes, char16_t* out) noexcept;

}  // namespace gbkhex::cli
