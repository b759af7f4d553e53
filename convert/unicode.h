#pragma once

// Unicode's encoding forms, as the converters, the font reader and the tools
// that make test and benchmark texts all need them.

#include <string>
#include <string_view>

namespace gbkhex {

constexpr bool IsHighSurrogate(char16_t unit) noexcept { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char16_t unit) noexcept { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Appends the UTF-8 of `codePoint`, which must be a Unicode scalar value.
void AppendUtf8(char32_t codePoint, std::string& out);

// The UTF-8 of `units`; a surrogate that is not half of a pair becomes U+FFFD.
std::string Utf8FromUtf16(std::u16string_view units);

}  // namespace gbkhex
