#pragma once

#include <cstdint>
#include <string_view>

namespace gbkhex {

// The columns that `c` takes where an editor or a terminal shows it, as the
// GNU Coding Standards count columns: 0 for combining marks and other
// characters that take no room of their own, 2 for East Asian wide and
// fullwidth characters, 1 for every other character, controls included. A
// tab is 1 here too: where it ends depends on where it starts (see Column).
int DisplayWidth(char32_t c) noexcept;

// A place in a text: line and column from 1, a line ending at each LF, the
// column counted in display columns with tab stops every 8.
struct TextPosition {
  std::uint64_t line = 1;
  std::uint64_t column = 1;
};

// Moves `position` past `units` (UTF-16); a surrogate pair is one character.
void Advance(TextPosition& position, std::u16string_view units) noexcept;

// Moves `position` past one character that is not a line break.
void AdvanceColumn(TextPosition& position, char32_t c) noexcept;

// The column after a tab at `column`: the next tab stop.
inline constexpr std::uint64_t kTabStop = 8;
constexpr std::uint64_t ColumnAfterTab(std::uint64_t column) noexcept {
  return (column - 1) / kTabStop * kTabStop + kTabStop + 1;
}

// Moves `position` past printable ASCII and tabs (no line break), as Advance
// does, without the lookups that other characters need.
constexpr void AdvanceAscii(TextPosition& position, std::string_view ascii) noexcept {
  for (const char c : ascii)
    position.column = c == '\t' ? ColumnAfterTab(position.column) : position.column + 1;
}

// The place of byte `offset` of the UTF-8 `text`; a byte sequence that is no
// UTF-8 takes one column, as an editor shows one replacement character there.
TextPosition PositionOf(std::string_view text, std::size_t offset);

}  // namespace gbkhex
