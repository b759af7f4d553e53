#pragma once

// Where a glyph stands in its cell. A face's glyphs share one place: one
// baseline row and one pen position. A glyph whose ink would fall partly
// outside the cell there, but which is no larger than the cell, moves by the
// fewest whole pixels that bring all its ink inside; it is never scaled or
// redrawn. Only a glyph larger than its cell loses ink.

#include <optional>

#include "glyphs/glyph.h"

namespace gbkhex::glyphs {

// A move by whole pixels: right and down are positive.
struct Move {
  int right = 0;
  int down = 0;

  bool None() const noexcept { return right == 0 && down == 0; }
  friend bool operator==(const Move&, const Move&) = default;
};

// By how much ink is larger than a cell, in pixels (0 where it fits that way).
struct Excess {
  int wider = 0;
  int taller = 0;

  bool Any() const noexcept { return wider > 0 || taller > 0; }
};

Excess ExcessOver(const InkBox& ink, int cellWidth, int cellHeight) noexcept;

// The least move that brings `ink` inside a cell of `cellWidth` x
// `cellHeight`: none where it is inside already, and nothing where it is
// larger than the cell (ExcessOver), which no move can mend.
std::optional<Move> LeastMove(const InkBox& ink, int cellWidth, int cellHeight) noexcept;

// The box-drawing characters (U+2500 to U+257F): fonts draw them past the em
// on purpose, so that lines join their neighbours'. They stay at the face's
// place and are cut at the cell's edges without a fault.
bool IsBoxDrawing(char16_t character) noexcept;

// The em box of `em` pixels inside a cell `size` pixels high: its top
// (size - em) / 2 rows below the cell's top, rounded down.
int EmBoxTop(int size, int em) noexcept;

}  // namespace gbkhex::glyphs
