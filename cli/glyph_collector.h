#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "convert/charset.h"
#include "glyphs/font.h"
#include "glyphs/glyph.h"
#include "text/fault.h"
#include "text/text_check.h"

namespace gbkhex::cli {

// "6 pixels below its cell", or for several sides "2 pixels above its cell and
// 1 pixel right of its cell".
std::string LostText(const glyphs::LostPixels& lost);

// "2,150": a count as a reader takes it in at a glance.
std::string WithThousands(std::uint64_t count);

// The glyphs that --clip let their cells cut, and the lit pixels they lost.
struct CutGlyphs {
  std::uint64_t glyphs = 0;
  std::uint64_t pixels = 0;
};

// The one warning at the end of a run with --clip that cut glyphs.
Fault ClipWarning(const CutGlyphs& cut);

// A picture or an image that could not be written.
Fault OutputFault(const std::string& input, const std::string& what);

// One glyph of the header: a code of code page 936 (lead byte * 256 + trail
// byte, or the byte), the character that the code stands for, and its glyph.
struct GlyphEntry {
  std::uint16_t code = 0;
  char16_t character = 0;
  glyphs::Glyph glyph;
};

// The glyphs of the distinct characters of the inputs, drawn as the characters
// come. A glyph belongs to a code, as the display looks it up: it shows the
// character that code page 936 reads there, which is the character itself but
// for --lossy's substitutes and GB 2312's own readings of A1 AA and A1 A4.
//
// Line breaks (LF and CR) are taken and not drawn. A control character, a
// character whose glyph the font lacks, one other than a blank whose glyph is
// empty, and one whose glyph would lose lit pixels outside its cell (unless
// `clip`, which keeps what the cell holds and counts the rest) are refused.
class GlyphCollector final : public CharacterTaker {
 public:
  // `font` must outlive the collector.
  GlyphCollector(glyphs::Font& font, Charset charset, bool clip = false);

  // Throws FatalFault when the font fails to draw a glyph that it has.
  std::size_t Take(std::u16string_view units) override;
  std::string Refusal(char16_t unit) const override;

  struct Tables {
    std::span<const GlyphEntry> wide;    // of the two-byte codes
    std::span<const GlyphEntry> narrow;  // of the one-byte codes
  };
  // The glyphs taken so far, each table sorted by code, valid until the next Take.
  Tables Sorted();

  // What `clip` let the cells cut.
  CutGlyphs Clipped() const noexcept { return clipped_; }

 private:
  enum class State : std::uint8_t { Unseen, Taken, Control, NoGlyph, Empty, Cut };

  State Judge(char16_t unit);
  std::uint16_t CodeOf(char16_t unit) const noexcept;

  glyphs::Font& font_;
  Charset charset_;
  bool clip_;
  CutGlyphs clipped_;
  std::unordered_map<char16_t, glyphs::LostPixels> cuts_;  // of the units refused as Cut
  std::vector<State> states_;                              // by unit
  std::vector<bool> codeDrawn_;  // by code: whether entries_ holds its glyph
  std::vector<GlyphEntry> entries_;
};

}  // namespace gbkhex::cli
