#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

#include "glyphs/glyph.h"

namespace gbkhex::glyphs {

class PreviewError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The picture's grey levels (0 black, 255 white). A glyph's pixel at level L
// of M is 255 - (L * 255 + M / 2) / M: black when fully lit, white when dark.
inline constexpr std::uint8_t kPreviewLit = 0;       // a fully lit pixel
inline constexpr std::uint8_t kPreviewDark = 255;    // a dark pixel
inline constexpr std::uint8_t kPreviewBeyond = 224;  // a slot's part beyond a narrower cell
inline constexpr std::uint8_t kPreviewGrid = 160;    // the grid's lines

struct PreviewOptions {
  int scale = 4;     // picture pixels a glyph pixel, across and down
  int columns = 16;  // slots a row of the grid
};

struct PreviewImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> grey;  // row after row, 8 bits a pixel
};

// The glyphs as a reader checks them before they go to a display: in the
// given order, row after row of the grid, each glyph pixel a square of `scale`
// picture pixels. Every slot of the grid is as large as the largest cell; a
// glyph stands at its slot's top left. One-pixel grid lines run around and
// between the slots. As few columns as there are glyphs, when fewer; no glyph
// gives one pixel of grid. Throws PreviewError when an option is below 1 or
// the picture would exceed a million pixels a side.
PreviewImage DrawPreview(std::span<const Glyph> glyphs, const PreviewOptions& options = {});

// That picture as a PNG file's bytes (8-bit grey), made by libpng, the same
// bytes on every system. Throws PreviewError as DrawPreview does, and when the
// encoder fails.
std::vector<std::uint8_t> PreviewPng(std::span<const Glyph> glyphs,
                                     const PreviewOptions& options = {});

namespace detail {
std::vector<std::uint8_t> EncodePng(const PreviewImage& image);
}

}  // namespace gbkhex::glyphs
