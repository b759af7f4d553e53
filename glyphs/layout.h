#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "convert/choice_word.h"
#include "glyphs/glyph.h"

namespace gbkhex::glyphs {

// The order in which a display controller reads a glyph's pixels, as its
// datasheet draws it. Each group of up to 8 pixels makes one byte; a group cut
// short by the cell's edge is filled up with dark pixels.
enum class Scan {
  Rows,     // each row from the top, in it bytes of 8 pixels from the left
  Columns,  // each column from the left, in it bytes of 8 pixels from the top
  Pages,    // each band of 8 rows from the top, in it each column from the left one byte
  Tiles,    // each band of 8 columns from the left, in it each row from the top one byte
};

// Which bit of a byte holds its first pixel (the leftmost, or in Columns and
// Pages the topmost).
enum class BitOrder { MsbFirst, LsbFirst };

// The words of --scan and --bit-order.
inline constexpr ChoiceWord<Scan> kScanWords[] = {{Scan::Rows, "rows"},
                                                  {Scan::Columns, "columns"},
                                                  {Scan::Pages, "pages"},
                                                  {Scan::Tiles, "tiles"}};
inline constexpr ChoiceWord<BitOrder> kBitOrderWords[] = {{BitOrder::MsbFirst, "msb"},
                                                          {BitOrder::LsbFirst, "lsb"}};

struct ByteLayout {
  Scan scan = Scan::Rows;
  BitOrder bitOrder = BitOrder::MsbFirst;
  // Lit pixels are 0 and dark ones, the fill included, 1.
  bool invert = false;
};

// The number of bytes of a cell of `width` x `height` in `scan`: the same for
// every glyph of that cell.
std::size_t LaidOutSize(int width, int height, Scan scan) noexcept;

// Appends the bytes of `glyph` in `layout` to `bytes`.
void AppendLaidOut(const Glyph& glyph, const ByteLayout& layout, std::vector<std::uint8_t>& bytes);

std::vector<std::uint8_t> LayOut(const Glyph& glyph, const ByteLayout& layout);

}  // namespace gbkhex::glyphs
