#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
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

// An 8-bit grey PNG written to a stream a row at a time, so that a picture
// larger than memory should hold never is held. Throws PreviewError when the
// encoder fails; a stream that fails keeps its badbit for its owner to see.
class PngRowWriter {
 public:
  PngRowWriter(int width, int height, std::ostream& out);
  PngRowWriter(const PngRowWriter&) = delete;
  PngRowWriter& operator=(const PngRowWriter&) = delete;
  ~PngRowWriter();

  // The next row from the top: `width` levels.
  void WriteRow(std::span<const std::uint8_t> row);
  // After the last row.
  void Finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};
}  // namespace detail

// The picture of a whole font image, drawn band by band as its cells come and
// written as a PNG to `out`: every cell at 1:1 (a glyph pixel a picture
// pixel), one band of cells for each row of the image's grid (a zone, or a lead
// byte), each cell as wide as its glyph, thin grid lines around and between
// them. Only one band is held at a time.
class GridPreview {
 public:
  // A picture `width` pixels across, grid lines included, of `bands` bands of
  // cells `cellHeight` high. Throws PreviewError when a side would exceed a
  // million pixels, or when the encoder fails.
  GridPreview(std::int64_t width, int cellHeight, std::int64_t bands, std::ostream& out);
  GridPreview(const GridPreview&) = delete;
  GridPreview& operator=(const GridPreview&) = delete;
  ~GridPreview();

  // Draws `glyph`, `cellHeight` high, in the band's next cell. Throws
  // PreviewError when the band has no room left for it.
  void Add(const Glyph& glyph);
  // Writes the band out; the next cell starts a new one. The last band ends
  // the picture.
  void EndBand();

 private:
  void WriteRow(const std::uint8_t* row);

  int width_;
  int cellHeight_;
  std::int64_t bandsLeft_;
  int x_ = 1;                       // where the band's next cell starts
  std::vector<std::uint8_t> band_;  // the band's rows, the grid line below them last
  std::unique_ptr<detail::PngRowWriter> png_;
};

}  // namespace gbkhex::glyphs
