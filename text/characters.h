#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "convert/unicode.h"

namespace gbkhex {

// The character at units[at]: a surrogate pair makes one character.
char32_t CodePointAt(std::u16string_view units, std::size_t at) noexcept;

// How many units the character at units[at] takes: 2 for a surrogate pair.
std::size_t UnitsOfCharacterAt(std::u16string_view units, std::size_t at) noexcept;

// Whether a terminal or an editor shows `c` as nothing, or by moving the text
// around it: C0 and C1 controls and DEL, zero-width and bidirectional marks,
// line and paragraph separators, and U+FEFF. Whoever shows a character to a
// reader writes these as escapes.
bool IsHiddenOrReordering(char32_t c) noexcept;

// "U+00B5 'µ'": the code point, then the character itself unless it is hidden
// or reordering, or a surrogate half.
std::string DescribeCharacter(char32_t codePoint);

}  // namespace gbkhex
