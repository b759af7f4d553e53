#pragma once

#include <span>
#include <string>
#include <string_view>

#include "cli/glyph_collector.h"
#include "cli/output_sink.h"
#include "emit/header_writer.h"
#include "glyphs/layout.h"

namespace gbkhex::cli {

struct GlyphHeaderSettings {
  std::string name;  // NAME of --glyphs: must pass ArrayNameProblem
  // The bitmaps' type and attribute (constants); the codes take the same type
  // with its byte type made unsigned short (CodeType), and the attribute.
  DeclarationStyle style;
  glyphs::ByteLayout layout;
  // The font as the first comment names it (a file's name without its folder,
  // or an installed face's name), its family and size, and its cells.
  std::string fontName;
  std::string family;
  int pixelSize = 0;
  int wideWidth = 0;
  int narrowWidth = 0;
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
// sizes and counts as constants (an enum, so that they are constant
// expressions in C too), and for each table its codes, sorted, and its
// bitmaps in the same order, each after a comment that shows its character,
// its code and the glyph drawn in text. A table without glyphs gets a count
// of 0 and arrays of one placeholder, so that code that searches both tables
// compiles whatever the text holds.
void WriteGlyphHeader(const GlyphHeaderSettings& settings, std::span<const GlyphEntry> wide,
                      std::span<const GlyphEntry> narrow, OutputSink& out);

}  // namespace gbkhex::cli
