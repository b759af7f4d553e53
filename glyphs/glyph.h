#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gbkhex::glyphs {

// A cell of pixels, each lit (drawn) or dark, addressed from the top-left
// corner: x to the right, y down.
class Glyph {
 public:
  // A cell of `width` x `height` dark pixels; sizes below 1 throw
  // std::invalid_argument.
  Glyph(int width, int height);

  int Width() const noexcept { return width_; }
  int Height() const noexcept { return height_; }

  // Both take a pixel inside the cell.
  bool Lit(int x, int y) const noexcept { return pixels_[Index(x, y)] != 0; }
  void Light(int x, int y) noexcept { pixels_[Index(x, y)] = 1; }

  // Lights the lit pixels of a 1-bit bitmap (rows of `pitch` bytes, the
  // leftmost pixel of a byte in its high bit) whose top-left pixel lies at
  // (left, top) of the cell, which may be outside it: what falls outside the
  // cell is cut.
  void Stamp(const std::uint8_t* rows, std::ptrdiff_t pitch, int bitmapWidth, int bitmapHeight,
             int left, int top) noexcept;

  friend bool operator==(const Glyph&, const Glyph&) = default;

 private:
  std::size_t Index(int x, int y) const noexcept {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
           static_cast<std::size_t>(x);
  }

  int width_;
  int height_;
  std::vector<std::uint8_t> pixels_;  // 1 lit, 0 dark, row after row
};

// The glyph drawn as text for a reader: one line a row from the top, '#' for a
// lit pixel and '.' for a dark one, each line ended by '\n'.
std::string DrawAsText(const Glyph& glyph);

}  // namespace gbkhex::glyphs
