#pragma once

// The classes of ASCII characters that readers and writers of text tell apart,
// for units of any width: a unit outside ASCII belongs to none of them but the
// wrapping blanks. A negative char (a byte above 7F) is outside ASCII too.

namespace gbkhex {

// A letter of the English alphabet or '_': what a C identifier starts with.
template <class Unit>
constexpr bool IsIdentifierStart(Unit c) noexcept {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

template <class Unit>
constexpr bool IsDecimalDigit(Unit c) noexcept {
  return c >= '0' && c <= '9';
}

// A letter, digit or '_': what the rest of a C identifier, a word of a C
// type, and a word of text that a double click selects are made of.
template <class Unit>
constexpr bool IsIdentifierCharacter(Unit c) noexcept {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// 0-9, A-F or a-f.
template <class Unit>
constexpr bool IsHexDigit(Unit c) noexcept {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// The value of a hexadecimal digit; only for units that IsHexDigit admits.
template <class Unit>
constexpr unsigned HexDigitValue(Unit c) noexcept {
  if (IsDecimalDigit(c)) return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  return static_cast<unsigned>(c - 'A' + 10);
}

// Space and tab: the blanks inside one line, which a line of a string table
// may hold around its parts without meaning a line break.
template <class Unit>
constexpr bool IsSpaceOrTab(Unit c) noexcept {
  return c == ' ' || c == '\t';
}

// What C counts as white space between tokens: space, tab, the line breaks
// CR and LF, vertical tab and form feed.
template <class Unit>
constexpr bool IsCWhiteSpace(Unit c) noexcept {
  return IsSpaceOrTab(c) || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The blanks that hang at the end of a wrapped line instead of wrapping it,
// and after which a line may break: space, tab and the ideographic space
// U+3000 of Chinese text.
constexpr bool IsWrappingBlank(char16_t unit) noexcept {
  return IsSpaceOrTab(unit) || unit == 0x3000;
}

}  // namespace gbkhex
