#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace gbkhex {

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
// above U+10FFFF are ill-formed. `out` must have room for bytes.size() units,
// which it may fill past unitsWritten too; no sequence yields more units than
// bytes.
Utf8Result DecodeUtf8(std::span<const std::uint8_t> bytes, char16_t* out) noexcept;

// How many bytes at the start of `bytes`, where DecodeUtf8 found an ill-formed
// sequence, make one fault: the longest start of a well-formed sequence there
// (its "maximal subpart"), or the one byte that starts none. Decoding goes on
// after them, as the Unicode Standard recommends for replacing faults.
std::size_t IllFormedUtf8Length(std::span<const std::uint8_t> bytes) noexcept;

struct Utf8Character {
  char32_t code = 0;
  std::size_t length = 0;  // of its sequence, in bytes
};

// The character whose sequence starts `bytes`, for a reader that stops at each
// character; a length of 0 where no well-formed sequence starts, or where
// `bytes` ends before the sequence does.
Utf8Character DecodeUtf8Character(std::span<const std::uint8_t> bytes) noexcept;

// One implementation of DecodeUtf8. All give the same result on every input.
struct Utf8Decoder {
  std::string_view name;
  Utf8Result (*decode)(std::span<const std::uint8_t> bytes, char16_t* out) noexcept;
};

// The implementations that this processor can run: the portable one first,
// the one DecodeUtf8 uses last. Tests hold each of them to the same results.
std::span<const Utf8Decoder> Utf8DecodersForThisCpu() noexcept;

}  // namespace gbkhex
