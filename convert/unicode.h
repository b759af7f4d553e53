#pragma once

// Unicode's encoding forms, as the converters, the font reader and the tools
// that make test and benchmark texts all need them.

#include <string>
#include <string_view>

namespace gbkhex {

constexpr bool IsHighSurrogate(char16_t unit) noexcept { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char16_t unit) noexcept { return unit >= 0xDC00 && unit <= 0xDFFF; }
constexpr bool IsSurrogate(char32_t c) noexcept { return c >= 0xD800 && c <= 0xDFFF; }

// The character that a high and a low surrogate make together.
constexpr char32_t CodePointOfPair(char16_t high, char16_t low) noexcept {
  return 0x10000 + (char32_t{high} - 0xD800) * 0x400 + (char32_t{low} - 0xDC00);
}

// Appends the UTF-8 of `codePoint`, which must be a Unicode scalar value.
void AppendUtf8(char32_t codePoint, std::string& out);

// The UTF-8 of `units`; a surrogate that is not half of a pair becomes U+FFFD.
std::string Utf8FromUtf16(std::u16string_view units);

}  // namespace gbkhex
