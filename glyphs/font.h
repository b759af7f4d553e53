#pragma once

// The glyph library: the bitmaps of a firmware's characters from a real font,
// in the byte order of a display controller, and a picture to check them by.
// It knows no window and no command line. One character's way through it:
//
//   Font font = Font::Open(*FindDefaultFont(), kDefaultPixelSize);  // FontError
//   if (std::optional<Glyph> glyph = font.Draw(u'中', CellFor(u'中'))) {
//     AppendLaidOut(*glyph, ByteLayout{Scan::Pages, BitOrder::LsbFirst}, bytes);
//     comment += DrawAsText(*glyph);
//   }  // else the font has no glyph for it
//   std::vector<std::uint8_t> png = PreviewPng(glyphs);  // layout.h, preview.h

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "glyphs/glyph.h"

namespace gbkhex::glyphs {

// A font that cannot be opened or drawn with; what() says why, in words for
// the user (UTF-8), naming the font as it was given.
class FontError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The two cell widths: wide cells, for the characters with a two-byte code, are
// as wide as the font's pixel size, narrow cells, for those with a one-byte
// code, half as wide, rounded up.
enum class Cell { Narrow, Wide };

// The cell of `character` by the length of its code page 936 code.
Cell CellFor(char16_t character) noexcept;

inline constexpr int kMinPixelSize = 1;
inline constexpr int kMaxPixelSize = 256;

// The default font: GNU Unifont at 16 px.
inline constexpr int kDefaultPixelSize = 16;
// Its name as Font::Open takes it (on Linux the file that Debian's package
// fonts-unifont installs, on Windows an installed face named Unifont), or
// nothing where it is not installed.
std::optional<std::string> FindDefaultFont();
// Where it is looked for, to name in the message that says it is missing:
// "/usr/share/fonts/opentype/unifont/unifont.otf (Debian package fonts-unifont)",
// or on Windows "the fonts installed on this system".
std::string_view DefaultFontLocation() noexcept;

namespace detail {
class Rasterizer;
}

// A font opened at one pixel size, which draws characters 1 bit a pixel,
// hinted for monochrome, into cells as high as that size: the baseline lies as
// far below the cell's top as the font's ascender at that size, the pen at the
// cell's left edge, and whatever falls outside the cell is cut. A TrueType or
// OpenType font's ascender and family come from its own tables, read the same
// way on every platform (hhea's ascender, to the nearest pixel); a bitmap
// font's from its strike and properties.
//
// On Linux it is drawn by FreeType, on Windows by GDI (GetGlyphOutlineW with
// GGO_BITMAP): both give the same pixels for the same font file wherever the
// font's outlines land on whole pixels, as GNU Unifont's do at 16 px.
//
// Not safe to use from two threads at once.
class Font {
 public:
  // Opens `font`, UTF-8: a font file (TrueType, OpenType, the first font of a
  // TrueType or OpenType collection, on Linux also BDF and PCF, which have
  // their own pixel sizes), or on Windows, where no file has that name, the
  // face name of an installed font ("宋体", "SimSun"). Throws FontError when it
  // cannot be read, has no Unicode character map, has no glyphs at
  // `pixelSize` (a bitmap font of other sizes), or `pixelSize` is outside
  // kMinPixelSize..kMaxPixelSize.
  static Font Open(const std::string& font, int pixelSize);

  Font(Font&&) noexcept;
  Font& operator=(Font&&) noexcept;
  ~Font();

  // The font as Open was given it: a file name or a face name.
  const std::string& Name() const noexcept { return name_; }
  // The family that the font calls itself, as a reader knows it ("Unifont").
  const std::string& Family() const noexcept { return family_; }
  int PixelSize() const noexcept { return pixelSize_; }
  // Rows from the cell's top to the baseline; may exceed the cell's height.
  int Ascender() const noexcept { return ascender_; }
  int CellWidth(Cell cell) const noexcept {
    return cell == Cell::Wide ? pixelSize_ : (pixelSize_ + 1) / 2;
  }

  // The glyph of `character` (one UTF-16 unit: every character that code
  // page 936 encodes is one) in a cell of the given width, or nothing when the
  // font has no glyph for it. A glyph narrower than its cell, such as an
  // 8-pixel Latin letter in a 16-pixel wide cell, stands at the cell's left,
  // the rest dark. Throws FontError when the font cannot draw a glyph it has.
  std::optional<Glyph> Draw(char16_t character, Cell cell);

 private:
  Font(std::string name, int pixelSize);

  std::string name_;
  std::string family_;
  int pixelSize_;
  int ascender_ = 0;
  std::unique_ptr<detail::Rasterizer> rasterizer_;
};

}  // namespace gbkhex::glyphs
