#include "text/characters.h"

#include <array>
#include <cstdio>

namespace gbkhex {

bool IsHiddenOrReordering(char32_t c) noexcept {
  const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
  const bool invisibleOrReordering = (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
                                     (c >= 0x2060 && c <= 0x2069) || c == 0xFEFF;
  return control || invisibleOrReordering;
}

std::size_t UnitsOfCharacterAt(std::u16string_view units, std::size_t at) noexcept {
  const bool pair =
      IsHighSurrogate(units[at]) && at + 1 < units.size() && IsLowSurrogate(units[at + 1]);
  return pair ? 2 : 1;
}

char32_t CodePointAt(std::u16string_view units, std::size_t at) noexcept {
  if (UnitsOfCharacterAt(units, at) == 1) return units[at];
  return CodePointOfPair(units[at], units[at + 1]);
}

std::string DescribeCharacter(char32_t codePoint) {
  std::array<char, 16> number{};
  std::snprintf(number.data(), number.size(), "U+%04X", static_cast<unsigned>(codePoint));
  std::string text(number.data());
  if (!IsHiddenOrReordering(codePoint) && !IsSurrogate(codePoint)) {
    text += " '";
    AppendUtf8(codePoint, text);
    text += '\'';
  }
  return text;
}

}  // namespace gbkhex
