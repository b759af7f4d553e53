#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace gbkhex::cli {

constexpr bool IsHighSurrogate(char16_t unit) noexcept { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char16_t unit) noexcept { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Appends the UTF-8 of `codePoint`, which must be a Unicode scalar value.
void AppendUtf8(char32_t codePoint, std::string& out);

// The character at units[at]: a surrogate pair makes one character.
char32_t CodePointAt(std::u16string_view units, std::size_t at) noexcept;

// How many units the character at units[at] takes: 2 for a surrogate pair.
std::size_t UnitsOfCharacterAt(std::u16string_view units, std::size_t at) noexcept;

// "U+00B5 'µ'": the code point, then the character itself unless it is one
// that a terminal does not show, or shows by moving the text around it
// (controls, line and paragraph separators, zero-width and bidirectional marks).
std::string DescribeCharacter(char32_t codePoint);

}  // namespace gbkhex::cli
