#pragma once

// The glyph library: the bitmaps of a firmware's characters from a real font,
// in the byte order of a display controller, and a picture to check them by.
// It knows no window and no command line. One character's way through it:
//
//   Font font = Font::Open(*FindDefaultFont(), {.pixelSize = 16});  // FontError
//   if (std::optional<DrawnGlyph> drawn = font.Draw(u'中', CellFor(u'中'))) {
//     // drawn->lost: what the cell cut; drawn->Blank(): nothing lit at all
//     AppendLaidOut(drawn->glyph, ByteLayout{Scan::Rows, BitOrder::MsbFirst}, bytes);
//     comment += DrawAsText(drawn->glyph);
//   }  // else the font has no glyph for it
//   std::vector<std::uint8_t> png = PreviewPng(glyphs);  // layout.h, preview.h
//
// FreeType draws on every system, so one font file gives the same bitmaps
// everywhere; only finding an installed font by name differs (font_source.h).

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "glyphs/font_source.h"
#include "glyphs/glyph.h"
#include "glyphs/placement.h"

namespace gbkhex::glyphs {

// The two cell widths: wide cells, for the characters with a two-byte code, are
// as wide as the font's pixel size, narrow cells, for those with a one-byte
// code, half as wide, rounded up.
enum class Cell { Narrow, Wide };

// The cell of `character` by the length of its code page 936 code.
Cell CellFor(char16_t character) noexcept;

// Whether `character` rightly shows nothing: a space of any width, or a mark
// that only joins or separates others. Any other character whose glyph is
// blank (DrawnGlyph::Blank) has lost its drawing.
bool IsBlankCharacter(char16_t character) noexcept;

inline constexpr int kMinPixelSize = 1;
inline constexpr int kMaxPixelSize = 256;

// The default font: GNU Unifont at 16 px.
inline constexpr int kDefaultPixelSize = 16;
// Where it is installed (on Linux the file that Debian's package fonts-unifont
// installs, on Windows an installed family named Unifont), or nothing.
std::optional<FontSource> FindDefaultFont();
// Where it is looked for, to name in the message that says it is missing:
// "/usr/share/fonts/opentype/unifont/unifont.otf (Debian package fonts-unifont)",
// or on Windows "an installed font named Unifont".
std::string_view DefaultFontLocation() noexcept;

struct FontOptions {
  int pixelSize = kDefaultPixelSize;  // the cell's height, and the em unless `em` says
  int bitsPerPixel = 1;               // 1, 2, 4 or 8 (glyph.h)
  // Pixels to the em, 1 to pixelSize (a bitmap font: one of its sizes); the
  // em box lies EmBoxTop rows below the cell's top, and the baseline rule
  // applies inside it.
  std::optional<int> em = std::nullopt;
  // A glyph whose ink would fall partly outside its cell at the face's place,
  // but which fits the cell, moves the least whole pixels (placement.h).
  bool moveIntoCell = false;
  // Rows from the cell's top down to the baseline, 0 to pixelSize; when
  // absent, the font's own rule places it (BaselineRule).
  std::optional<int> baseline = std::nullopt;
};

// What placed the baseline, so that a reader can be told.
enum class BaselineRule {
  Given,              // FontOptions::baseline
  IdeographicEmBox,   // the em box that the font's BASE table states for its ideographs
  Ideographs,         // the extent of the font's own ideographs
  AscenderDescender,  // a font without ideographs: its ascender and descender
  BitmapFont,         // a bitmap font without ideographs: its own ascent
};

// A character drawn into its cell: the glyph, which holds what lies inside,
// and the lit pixels that the cell cut.
struct DrawnGlyph {
  Glyph glyph;
  LostPixels lost;
  // With FontOptions::moveIntoCell: how far the glyph moved from the face's
  // place, by how much its ink is larger than its cell, and whether the cell
  // cut it on purpose (a box-drawing character, IsBoxDrawing).
  Move moved;
  Excess excess;
  bool cutOnPurpose = false;

  // Whether the drawing lit no pixel at all, inside the cell or out.
  bool Blank() const noexcept { return lost.Total() == 0 && glyph.Dark(); }
  // Whether the cell cut ink that the glyph needs.
  bool LostInk() const noexcept { return lost.Total() != 0 && !cutOnPurpose; }
};

// A glyph's outline box as a share of the em, unhinted: what its ink at an em
// of e pixels comes near to, width * e by height * e.
struct EmShare {
  double width = 0;
  double height = 0;
};

// One face of a font at one pixel size and depth, which draws characters into
// cells as high as that size.
//
// A scalable font is drawn at its em (FontOptions::em, by default the cell's
// height), with its pen at the cell's left edge and one baseline for every
// glyph, placed so that the em box of the font's ideographs fills the em box
// in the cell (EmBoxTop) as the ideographs fill the em: where
// the font states that box (a BASE table), there; else centred on the extent
// of its own ideographs (the medians of the outline boxes of a sample of
// common hanzi, read once); else, in a font without ideographs, centred on its
// ascender and descender. The baseline lies the whole number of rows nearest
// to the em box's top below the cell's top. At 1 bit a pixel the outlines may
// be moved by the rest, less than half a pixel, so that the em box lies on the
// cell exactly: that moves no edge that hinting put on whole pixels, but other
// edges may cross a pixel's centre, so they are moved only where the sample
// of ideographs then loses fewer pixels beyond the cell (as GNU Unifont's
// unhinted squares at 12 px do). Grey levels keep the hinted outlines where
// they are, which a move would blur. A bitmap font (BDF, PCF, bitmap-only
// sfnt) has only its own sizes; its cell is centred on its ideographs in the
// same way (the medians of their bitmaps' boxes), or without them its
// baseline lies at its ascent.
//
// 1 bit a pixel is FreeType's monochrome rendering, hinted for it; 2, 4 and 8
// bits are its anti-aliased coverage scaled to the levels. Bitmaps that a
// scalable font embeds for a size are used as FreeType uses them.
//
// Not safe to use from two threads at once.
class Font {
 public:
  // Opens face `source.faceIndex` of `source`, a TrueType, OpenType, TTC, BDF or
  // PCF font. Throws FontError when it cannot be read, has no such face, has no
  // Unicode character map, has no glyphs at the pixel size (a bitmap font: the
  // message lists its sizes), or an option is out of range.
  static Font Open(FontSource source, const FontOptions& options = {});

  Font(Font&&) noexcept;
  Font& operator=(Font&&) noexcept;
  ~Font();

  // Where the font is, as the source shows it.
  const std::string& Name() const noexcept { return name_; }
  // The family and style that the face calls itself ("Noto Sans CJK SC",
  // "Regular").
  const std::string& Family() const noexcept { return family_; }
  const std::string& Style() const noexcept { return style_; }
  int FaceIndex() const noexcept { return faceIndex_; }
  int PixelSize() const noexcept { return pixelSize_; }
  int Em() const noexcept { return em_; }
  // Whether the face says that its glyphs are all of one width.
  bool Monospaced() const noexcept { return monospaced_; }
  int BitsPerPixel() const noexcept { return bitsPerPixel_; }
  // Rows from the cell's top to the baseline; may lie outside the cell.
  int Baseline() const noexcept { return baseline_; }
  BaselineRule RuleOfBaseline() const noexcept { return rule_; }
  // How far, in 64ths of a pixel, outlines are moved up beyond the baseline
  // (-31 to 31; 0 but at 1 bit a pixel by the font's own rule).
  int OutlineShift() const noexcept { return outlineShift_; }
  int CellWidth(Cell cell) const noexcept {
    return cell == Cell::Wide ? pixelSize_ : (pixelSize_ + 1) / 2;
  }

  // The glyph of `character` (one UTF-16 unit: every character that code
  // page 936 encodes is one) in a cell of the given width, or nothing when the
  // font has no glyph for it. A glyph narrower than its cell, such as an
  // 8-pixel Latin letter in a 16-pixel wide cell, stands at the cell's left,
  // the rest dark. Throws FontError when the font cannot draw a glyph it has.
  std::optional<DrawnGlyph> Draw(char16_t character, Cell cell);

  // The outline box of `character`'s glyph, read without drawing it; nothing
  // where the font has no such glyph or no outlines.
  std::optional<EmShare> OutlineShare(char16_t character);

 private:
  struct Face;
  Font(std::unique_ptr<Face> face, const FontOptions& options);

  // The box of the pixels that `coverage` lights at the cell's depth, drawn
  // with its top-left pixel at (left, top) of the cell.
  InkBox InkAt(const CoverageBitmap& coverage, int left, int top) const;
  // The lit pixels that the cells cut from the sample of ideographs.
  int PixelsLostFromSample();
  // Moves the outlines by `shift` where the sample then loses fewer pixels.
  void MoveOutlinesWhereTheyFitBetter(int shift);

  std::unique_ptr<Face> face_;
  std::string name_;
  std::string family_;
  std::string style_;
  int faceIndex_ = 0;
  int pixelSize_;
  int em_;
  int bitsPerPixel_;
  bool moveIntoCell_ = false;  // set once the face's one place is found
  bool monospaced_ = false;
  int baseline_ = 0;
  BaselineRule rule_ = BaselineRule::Given;
  int outlineShift_ = 0;
};

}  // namespace gbkhex::glyphs
