#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "convert/glyph_layout_words.h"
#include "glyphs/glyph.h"

namespace gbkhex::glyphs {

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
