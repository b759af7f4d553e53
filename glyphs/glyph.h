#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gbkhex::glyphs {

// The bits a pixel that glyphs come in: 1 (each pixel lit or dark), or 2, 4
// or 8 for grey levels, as colour and grey displays blend them.
bool IsBitsPerPixel(int bitsPerPixel) noexcept;

// The pixels that a drawing lit outside its cell, which the cell cannot hold,
// by the side they lie beyond; a pixel beyond a corner counts above or below.
struct LostPixels {
  int above = 0;
  int below = 0;
  int left = 0;
  int right = 0;

  int Total() const noexcept { return above + below + left + right; }
  friend bool operator==(const LostPixels&, const LostPixels&) = default;
};

// A bitmap as a font engine draws it: rows from the top, `pitch` bytes apart
// (negative where the rows lie bottom up in memory, `rows` still pointing at
// the top one); in each byte 8 / bitsPerPixel pixels (1, 2, 4 or 8), the
// leftmost in the high bits, each a coverage from 0 (none) to all its bits set
// (full).
struct CoverageBitmap {
  const std::uint8_t* rows = nullptr;
  std::ptrdiff_t pitch = 0;
  int width = 0;
  int height = 0;
  int bitsPerPixel = 1;
};

// The smallest box that holds every lit pixel, in a cell's coordinates (x to
// the right, y down, from the cell's top-left corner; it may reach outside).
struct InkBox {
  int left = 0;
  int top = 0;
  int width = 0;  // 0 where nothing is lit
  int height = 0;

  bool Empty() const noexcept { return width == 0 || height == 0; }
  friend bool operator==(const InkBox&, const InkBox&) = default;
};

// The pixels of `bitmap` that Glyph::Stamp would light in a glyph of
// `bitsPerPixel`, as a box in the bitmap's own coordinates: where a drawing's
// ink lies, found without stamping it.
InkBox LitBox(const CoverageBitmap& bitmap, int bitsPerPixel) noexcept;

// A cell of pixels addressed from the top-left corner, x to the right and y
// down, each at a level from 0 (dark) to MaxLevel() (fully lit).
class Glyph {
 public:
  // A cell of `width` x `height` dark pixels; sizes below 1, or bits a pixel
  // other than 1, 2, 4 and 8, throw std::invalid_argument.
  Glyph(int width, int height, int bitsPerPixel = 1);

  int Width() const noexcept { return width_; }
  int Height() const noexcept { return height_; }
  int BitsPerPixel() const noexcept { return bitsPerPixel_; }
  int MaxLevel() const noexcept { return (1 << bitsPerPixel_) - 1; }

  // These take a pixel inside the cell.
  int Level(int x, int y) const noexcept { return levels_[Index(x, y)]; }
  bool Lit(int x, int y) const noexcept { return levels_[Index(x, y)] != 0; }
  void SetLevel(int x, int y, int level) noexcept {
    levels_[Index(x, y)] = static_cast<std::uint8_t>(level);
  }
  void Light(int x, int y) noexcept { SetLevel(x, y, MaxLevel()); }

  // Whether no pixel is lit.
  bool Dark() const noexcept;

  // Draws `bitmap` over the cell with its top-left pixel at (left, top) of the
  // cell, which may be outside it, each coverage c of full coverage F scaled
  // to the nearest level, (c * MaxLevel() + F / 2) / F, so that at 1 bit a
  // pixel a pixel at least half covered is lit. What falls outside the cell is
  // cut and counted.
  LostPixels Stamp(const CoverageBitmap& bitmap, int left, int top) noexcept;

  friend bool operator==(const Glyph&, const Glyph&) = default;

 private:
  std::size_t Index(int x, int y) const noexcept {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
           static_cast<std::size_t>(x);
  }

  int width_;
  int height_;
  int bitsPerPixel_;
  std::vector<std::uint8_t> levels_;  // row after row
};

// One row of the glyph drawn as text for a reader, from the left: at 1 bit a
// pixel '#' for a lit pixel and '.' for a dark one; with grey levels, each
// level as the nearest of ".,:-=+*#%@", '.' dark and '@' fully lit.
std::string DrawRowAsText(const Glyph& glyph, int y);

// The whole glyph so, one line a row from the top, each ended by '\n'.
std::string DrawAsText(const Glyph& glyph);

}  // namespace gbkhex::glyphs
