#include "glyphs/glyph.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string_view>

namespace gbkhex::glyphs {
namespace {

// Grey levels from dark to fully lit; none of them makes "*/" with another.
constexpr std::string_view kGreyRamp = ".,:-=+*#%@";

// Coverage of `SourceBits` a pixel to levels of each depth: table[c] is the
// level of coverage c.
using LevelTable = std::array<std::uint8_t, 256>;

constexpr int DepthIndex(int bits) noexcept {
  return bits == 1 ? 0 : bits == 2 ? 1 : bits == 4 ? 2 : 3;
}

const LevelTable& Levels(int sourceBits, int glyphBits) noexcept {
  static const auto tables = [] {
    std::array<std::array<LevelTable, 4>, 4> all{};
    for (const int source : {1, 2, 4, 8}) {
      for (const int glyph : {1, 2, 4, 8}) {
        const int full = (1 << source) - 1;
        const int maxLevel = (1 << glyph) - 1;
        LevelTable& table = all[DepthIndex(source)][DepthIndex(glyph)];
        for (int coverage = 0; coverage <= full; ++coverage) {
          table[static_cast<std::size_t>(coverage)] =
              static_cast<std::uint8_t>((coverage * maxLevel + full / 2) / full);
        }
      }
    }
    return all;
  }();
  return tables[DepthIndex(sourceBits)][DepthIndex(glyphBits)];
}

template <int Bits>
int CoverageAt(const std::uint8_t* row, int column) noexcept {
  if constexpr (Bits == 8) {
    return row[column];
  } else {
    constexpr int perByte = 8 / Bits;
    return row[column / perByte] >> (8 - Bits * (column % perByte + 1)) & ((1 << Bits) - 1);
  }
}

// What Glyph::Stamp does, for a bitmap of `Bits` a pixel, into `cell`'s rows.
template <int Bits>
LostPixels StampBits(const CoverageBitmap& bitmap, int left, int top, const LevelTable& levels,
                     std::uint8_t* cell, int width, int height) noexcept {
  LostPixels lost;
  const auto lit = [&](const std::uint8_t* row, int from, int to) {
    int count = 0;
    for (int column = from; column < to; ++column) {
      count += levels[static_cast<std::size_t>(CoverageAt<Bits>(row, column))] != 0;
    }
    return count;
  };
  // The bitmap's columns left of the cell, in it, and right of it.
  const int first = std::clamp(-left, 0, bitmap.width);
  const int end = std::clamp(width - left, first, bitmap.width);
  for (int row = 0; row < bitmap.height; ++row) {
    const std::uint8_t* bits = bitmap.rows + row * bitmap.pitch;
    const int y = top + row;
    if (y < 0 || y >= height) {
      (y < 0 ? lost.above : lost.below) += lit(bits, 0, bitmap.width);
      continue;
    }
    lost.left += lit(bits, 0, first);
    lost.right += lit(bits, end, bitmap.width);
    std::uint8_t* out = cell + static_cast<std::ptrdiff_t>(y) * width + left;
    for (int column = first; column < end; ++column) {
      out[column] = levels[static_cast<std::size_t>(CoverageAt<Bits>(bits, column))];
    }
  }
  return lost;
}

template <int Bits>
InkBox LitBoxBits(const CoverageBitmap& bitmap, const LevelTable& levels) noexcept {
  const auto lit = [&](const std::uint8_t* row, int column) {
    return levels[static_cast<std::size_t>(CoverageAt<Bits>(row, column))] != 0;
  };
  int left = bitmap.width;
  int right = -1;
  int top = -1;
  int bottom = -1;
  for (int y = 0; y < bitmap.height; ++y) {
    const std::uint8_t* row = bitmap.rows + y * bitmap.pitch;
    int first = 0;
    while (first < bitmap.width && !lit(row, first)) ++first;
    if (first == bitmap.width) continue;
    int last = bitmap.width - 1;
    while (!lit(row, last)) --last;
    left = std::min(left, first);
    right = std::max(right, last);
    if (top < 0) top = y;
    bottom = y;
  }
  if (right < 0) return {};
  return {.left = left, .top = top, .width = right - left + 1, .height = bottom - top + 1};
}

}  // namespace

InkBox LitBox(const CoverageBitmap& bitmap, int bitsPerPixel) noexcept {
  const LevelTable& levels = Levels(bitmap.bitsPerPixel, bitsPerPixel);
  switch (bitmap.bitsPerPixel) {
    case 1:
      return LitBoxBits<1>(bitmap, levels);
    case 2:
      return LitBoxBits<2>(bitmap, levels);
    case 4:
      return LitBoxBits<4>(bitmap, levels);
    default:
      return LitBoxBits<8>(bitmap, levels);
  }
}

bool IsBitsPerPixel(int bitsPerPixel) noexcept {
  return bitsPerPixel == 1 || bitsPerPixel == 2 || bitsPerPixel == 4 || bitsPerPixel == 8;
}

Glyph::Glyph(int width, int height, int bitsPerPixel)
    : width_(width), height_(height), bitsPerPixel_(bitsPerPixel) {
  if (width < 1 || height < 1)
    throw std::invalid_argument("a glyph's cell needs a size of 1 or more");
  if (!IsBitsPerPixel(bitsPerPixel))
    throw std::invalid_argument("a glyph has 1, 2, 4 or 8 bits a pixel");
  levels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
}

bool Glyph::Dark() const noexcept {
  return std::all_of(levels_.begin(), levels_.end(), [](std::uint8_t level) { return level == 0; });
}

LostPixels Glyph::Stamp(const CoverageBitmap& bitmap, int left, int top) noexcept {
  const LevelTable& levels = Levels(bitmap.bitsPerPixel, bitsPerPixel_);
  switch (bitmap.bitsPerPixel) {
    case 1:
      return StampBits<1>(bitmap, left, top, levels, levels_.data(), width_, height_);
    case 2:
      return StampBits<2>(bitmap, left, top, levels, levels_.data(), width_, height_);
    case 4:
      return StampBits<4>(bitmap, left, top, levels, levels_.data(), width_, height_);
    default:
      return StampBits<8>(bitmap, left, top, levels, levels_.data(), width_, height_);
  }
}

std::string DrawRowAsText(const Glyph& glyph, int y) {
  std::string text(static_cast<std::size_t>(glyph.Width()), '.');
  const int maxLevel = glyph.MaxLevel();
  const int steps = static_cast<int>(kGreyRamp.size()) - 1;
  for (int x = 0; x < glyph.Width(); ++x) {
    const int level = glyph.Level(x, y);
    text[static_cast<std::size_t>(x)] =
        maxLevel == 1
            ? (level ? '#' : '.')
            : kGreyRamp[static_cast<std::size_t>((level * steps + maxLevel / 2) / maxLevel)];
  }
  return text;
}

std::string DrawAsText(const Glyph& glyph) {
  std::string text;
  text.reserve(static_cast<std::size_t>(glyph.Width() + 1) *
               static_cast<std::size_t>(glyph.Height()));
  for (int y = 0; y < glyph.Height(); ++y) text.append(DrawRowAsText(glyph, y)).append(1, '\n');
  return text;
}

}  // namespace gbkhex::glyphs
