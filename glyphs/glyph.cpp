#include "glyphs/glyph.h"

#include <algorithm>
#include <stdexcept>

namespace gbkhex::glyphs {

Glyph::Glyph(int width, int height) : width_(width), height_(height) {
  if (width < 1 || height < 1)
    throw std::invalid_argument("a glyph's cell needs a size of 1 or more");
  pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
}

void Glyph::Stamp(const std::uint8_t* rows, std::ptrdiff_t pitch, int bitmapWidth, int bitmapHeight,
                  int left, int top) noexcept {
  const int firstRow = std::max(0, -top);
  const int endRow = std::min(bitmapHeight, height_ - top);
  const int firstColumn = std::max(0, -left);
  const int endColumn = std::min(bitmapWidth, width_ - left);
  for (int row = firstRow; row < endRow; ++row) {
    const std::uint8_t* bits = rows + row * pitch;
    for (int column = firstColumn; column < endColumn; ++column) {
      if (bits[column / 8] & (0x80 >> (column % 8))) Light(left + column, top + row);
    }
  }
}

std::string DrawAsText(const Glyph& glyph) {
  std::string text;
  text.reserve(static_cast<std::size_t>(glyph.Width() + 1) *
               static_cast<std::size_t>(glyph.Height()));
  for (int y = 0; y < glyph.Height(); ++y) {
    for (int x = 0; x < glyph.Width(); ++x) text += glyph.Lit(x, y) ? '#' : '.';
    text += '\n';
  }
  return text;
}

}  // namespace gbkhex::glyphs
