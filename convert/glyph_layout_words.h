#pragma once

// The words of a glyph's byte layout, which every option table names whether or
// not the build draws glyphs: below glyphs/, which lays glyphs out in them.

#include "convert/choice_word.h"

namespace gbkhex::glyphs {

// The order in which a display controller reads a glyph's pixels, as its
// datasheet draws it. A byte holds 8 / bits-a-pixel pixels; a group cut short
// by the cell's edge is filled up with dark pixels.
enum class Scan {
  Rows,     // each row from the top, in it bytes of pixels from the left
  Columns,  // each column from the left, in it bytes of pixels from the top
  Pages,    // 1 bit a pixel: each band of 8 rows from the top, in it each column one byte
  Tiles,    // 1 bit a pixel: each band of 8 columns from the left, in it each row one byte
};

// Which bits of a byte hold its first pixel (the leftmost, or in Columns and
// Pages the topmost): the high ones or the low ones.
enum class BitOrder { MsbFirst, LsbFirst };

// The words of --scan and --bit-order.
inline constexpr ChoiceWord<Scan> kScanWords[] = {{Scan::Rows, "rows"},
                                                  {Scan::Columns, "columns"},
                                                  {Scan::Pages, "pages"},
                                                  {Scan::Tiles, "tiles"}};
inline constexpr ChoiceWord<BitOrder> kBitOrderWords[] = {{BitOrder::MsbFirst, "msb"},
                                                          {BitOrder::LsbFirst, "lsb"}};

// The bits a pixel that --bpp chooses, by their number.
enum class Depth { One = 1, Two = 2, Four = 4, Eight = 8 };
inline constexpr ChoiceWord<Depth> kDepthWords[] = {
    {Depth::One, "1"}, {Depth::Two, "2"}, {Depth::Four, "4"}, {Depth::Eight, "8"}};

}  // namespace gbkhex::glyphs
