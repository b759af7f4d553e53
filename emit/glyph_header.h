#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "convert/charset.h"
#include "convert/code_format.h"
#include "emit/header_writer.h"
#include "emit/text_sink.h"

namespace gbkhex {

// One glyph of the header, drawn and laid out by whoever drew it.
struct HeaderGlyph {
  // The character that code page 936 reads at the glyph's code, which the
  // glyph shows.
  char16_t character = 0;
  // The glyph drawn as text, a line a row from the top, each ended by '\n':
  // '#' for a lit pixel and '.' for a dark one, or with grey levels a
  // character of each level.
  std::string_view drawn;
  // Its bytes, laid out as the first comment says.
  std::span<const std::uint8_t> bytes;
  // What its comment adds after the character ("moved 1 pixel down ..."), or "".
  std::string_view note;
};

// The glyphs of one cell width. Each is drawn and laid out only when the
// writer comes to it, so that a font's worth of them is never held at once.
struct HeaderGlyphTable {
  // Their codes of code page 936, sorted: lead byte * 256 + trail byte, or
  // the byte.
  std::span<const std::uint16_t> codes;
  int width = 0;                  // of a cell, in pixels
  std::size_t bytesPerGlyph = 0;  // the same for every glyph of a cell
  // The glyph of codes[index]; what it views stays valid until the next call.
  std::function<HeaderGlyph(std::size_t index)> glyph;
};

// How the bytes are laid out, as the first comment tells it: the words of
// --scan and --bit-order, and what each means.
struct GlyphLayoutText {
  std::string_view scan;      // "rows"
  std::string scanOrder;      // "each row from the top, in it ..."
  std::string_view bitOrder;  // "msb"
  std::string bitOrderMeans;  // "the first pixel of a byte in its high bit"
  bool invert = false;        // lit pixels are 0 bits
  int bitsPerPixel = 1;       // above 1, levels from 0 (dark) to all bits set (fully lit)
};

struct GlyphHeaderSettings {
  std::string name;  // NAME of --glyphs: must pass ArrayNameProblem
  // The bitmaps' type and attribute (constants); the codes take the same type
  // with its byte type made unsigned short (CodeType), and the attribute.
  DeclarationStyle style;
  GlyphLayoutText layout;
  // The font as the first comment names it (a file's name without its folder,
  // or an installed face's name), its family, style, face within a
  // collection (none for a single face) and size.
  std::string fontName;
  std::string family;
  std::string fontStyle;
  std::optional<int> face;
  int pixelSize = 0;
  // Rows from the cell's top to the baseline, and what placed it there
  // ("from the font's ideographic em box").
  int baseline = 0;
  std::string baselineRule;
  // Where an em differs from the size: "wide glyphs at 15 px to the em,
  // narrow glyphs at 10 px to the em"; else "".
  std::string ems;
  // Sentences that name every further face and what it drew, and what the
  // first drew, where there are more; else none.
  std::vector<std::string> faces;
  // The name by which the source file includes the header, with a source file.
  std::string headerName;
  // Whether the bitmaps go to an image file of their own (--image): the
  // header then keeps the codes, and says where glyph i of each table lies.
  bool bitmapsInImage = false;
};

// Why `type` (--type) cannot declare the glyphs, or "": beside TypeProblem's
// reasons, it must name an unsigned byte type (unsigned char, uint8_t,
// uint_least8_t or uint_fast8_t), since a glyph's bytes reach 0XFF and the
// codes are declared alike, with unsigned short in its place.
std::string GlyphTypeProblem(std::string_view type);

// The codes' type for the bitmaps' `type`: "const unsigned char code" gives
// "const unsigned short code"; "" (the default type) gives
// "const unsigned short". `type` must pass GlyphTypeProblem.
std::string CodeType(std::string_view type);

// The header of --glyphs: the font and layout in its first comment, then the
// sizes and counts as macros (AppendUnsignedMacro: constant expressions that
// take no storage), and for each table its codes, sorted, and its bitmaps in
// the same order, each after a comment that shows its character, its code and
// the glyph drawn in text. A table without glyphs gets a count of 0 and arrays
// of one placeholder, so that code that searches both tables compiles
// whatever the text holds. With a `source`, the header declares the arrays
// and the source, which includes it as settings.headerName, defines them.
//
// With settings.bitmapsInImage, the tables hold their codes only, and macros
// give the bytes a glyph of each width takes and where the narrow glyphs
// start in the image (the wide ones start it), so that the glyph of index i
// lies at NAME_narrow_offset + i * NAME_narrow_bytes; the table's `glyph` is
// not called.
void WriteGlyphHeader(const GlyphHeaderSettings& settings, const HeaderGlyphTable& wide,
                      const HeaderGlyphTable& narrow, TextSink& out, TextSink* source = nullptr);

// A whole font image: the glyph of every two-byte code of a charset's grid
// (GridOf), in code order, then those of 20 to 7E, every cell kept, so that a
// glyph's offset follows from its code alone.
struct FontImageGeometry {
  Charset charset = Charset::Gbk;
  int wideWidth = 0;
  int narrowWidth = 0;
  std::size_t wideBytes = 0;
  std::size_t narrowBytes = 0;

  std::size_t WideCells() const noexcept;
  std::uint64_t NarrowOffset() const noexcept;
  std::uint64_t ImageSize() const noexcept;
};

// The header of a whole font image (--whole), for firmware that finds a glyph
// by arithmetic on its code: the first comment as WriteGlyphHeader's, the
// sizes and offsets as macros (NAME_height, NAME_wide_width,
// NAME_narrow_width, NAME_wide_bytes, NAME_narrow_bytes, NAME_wide_offset,
// NAME_narrow_offset, NAME_image_size), and
//   long NAME_offset(const unsigned char *s)
// which gives the offset in the image of the glyph of the character that
// starts at s, or -1 where s starts no code of the charset; it compiles in C99
// and later (static inline), C90 (static) and C++ (inline), its arithmetic in long for a
// 16-bit int. Unless the image goes to a file of its own, the header holds it
// too, as NAME_image[], its bytes appended as they are drawn; with a `source`,
// the header declares NAME_image and the source, which includes it as
// settings.headerName, defines it.
class FontImageHeader {
 public:
  FontImageHeader(const GlyphHeaderSettings& settings, const FontImageGeometry& geometry,
                  bool holdsImage, TextSink& out, TextSink* source = nullptr);

  // Everything before the image's bytes.
  void Begin();
  // The next glyph's bytes (holdsImage).
  void Append(std::span<const std::uint8_t> bytes);
  void End();

 private:
  const GlyphHeaderSettings& settings_;
  FontImageGeometry geometry_;
  bool holdsImage_;
  TextSink& out_;
  TextSink* source_;  // of the image's definition, or none
  CodeWriter constants_{OutputFormat::C};
};

}  // namespace gbkhex
