#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "emit/glyph_header.h"
#include "emit/text_sink.h"
#include "glyphs/font.h"
#include "glyphs/font_chain.h"
#include "glyphs/glyph_set.h"
#include "glyphs/layout.h"
#include "glyphs/preview.h"

namespace gbkhex::glyphs {

// What the header's first comment says of the byte layout.
GlyphLayoutText LayoutText(const ByteLayout& layout, int bitsPerPixel);

// How the header names the rule that placed the baseline.
std::string_view RuleText(BaselineRule rule) noexcept;

// Whether the header names the face: in a collection's file, where the face
// read is one of several, even when it is the first.
bool IsCollection(const std::string& font);

// What the header's first comment says of the faces of `fonts`: the first
// face (its file by its name alone, so that the header does not change with
// the folder a build keeps it in), its family, style, face, size and baseline
// with its rule; both ems where one differs from the size; and, where more
// faces draw (`narrowFont`: the narrow face of --narrow-font), every face and
// what it drew.
void DescribeFaces(const CellFonts& fonts, bool narrowFont, GlyphHeaderSettings& settings);

// The header of a text's glyph set (WriteGlyphHeader), each glyph drawn as
// text and laid out when the writer comes to it, its comment saying where it
// moved from the face's place.
void WriteTextGlyphsHeader(const GlyphHeaderSettings& settings, const TextGlyphs::Tables& tables,
                           const Font& font, const ByteLayout& layout, TextSink& out,
                           TextSink* source);

// The raw image of a text's glyph set: the wide table's glyphs laid out, then
// the narrow table's, nothing between them.
void WriteTextGlyphsImage(const TextGlyphs::Tables& tables, const ByteLayout& layout,
                          std::ostream& out);

// The picture of a text's glyph set: with an image, every cell at 1:1, a band
// for each lead byte and one for the narrow glyphs; else the glyphs enlarged in
// table order. Throws PreviewError.
void WriteTextGlyphsPreview(const TextGlyphs::Tables& tables, bool withImage, std::ostream& out);

// The geometry of a charset's whole image in `font`'s cells.
FontImageGeometry WholeImageGeometry(Charset charset, const Font& font, const ByteLayout& layout);

// Where a charset's cells go as they are drawn: into the image's file, or the
// header's NAME_image (FontImageHeader) where there is none, and into the
// picture, every cell at 1:1, a band a row of the grid.
class WholeFontWriter final : public CellReceiver {
 public:
  // `image` and `picture` may be null. Throws PreviewError.
  WholeFontWriter(FontImageHeader& header, const FontImageGeometry& geometry, int cellHeight,
                  std::ostream* image, std::ostream* picture);

  void Cell(std::uint16_t code, const Glyph& glyph, std::span<const std::uint8_t> laidOut) override;
  void EndBand() override;

 private:
  FontImageHeader& header_;
  std::ostream* image_;
  std::optional<GridPreview> preview_;
};

}  // namespace gbkhex::glyphs
