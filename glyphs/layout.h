#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "convert/choice_word.h"
#include "glyphs/glyph.h"

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

struct ByteLayout {
  Scan scan = Scan::Rows;
  BitOrder bitOrder = BitOrder::MsbFirst;
  // Each level swapped for its opposite (max - level): lit pixels are 0 and
  // dark ones, the fill included, all bits set.
  bool invert = false;
};

// A layout that cannot hold glyphs of some bits a pixel; what() says why.
class LayoutError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// Why `scan` cannot hold glyphs of `bitsPerPixel`, in words for the user, or
// "" when it can: Pages and Tiles are 1-bit layouts.
std::string LayoutProblem(Scan scan, int bitsPerPixel);

// The number of bytes of a cell of `width` x `height` in `scan`: the same for
// every glyph of that cell. Throws LayoutError where LayoutProblem names one.
std::size_t LaidOutSize(int width, int height, Scan scan, int bitsPerPixel = 1);

// Appends the bytes of `glyph` in `layout` to `bytes`. Throws LayoutError
// where LayoutProblem names one for the glyph's bits a pixel.
void AppendLaidOut(const Glyph& glyph, const ByteLayout& layout, std::vector<std::uint8_t>& bytes);

std::vector<std::uint8_t> LayOut(const Glyph& glyph, const ByteLayout& layout);

}  // namespace gbkhex::glyphs
