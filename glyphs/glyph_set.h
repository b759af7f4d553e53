#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "convert/charset.h"
#include "glyphs/em_fit.h"
#include "glyphs/font.h"
#include "glyphs/font_chain.h"
#include "glyphs/glyph.h"
#include "glyphs/layout.h"
#include "text/fault.h"
#include "text/text_check.h"

namespace gbkhex::glyphs {

// "6 pixels below its cell", or for several sides "2 pixels above its cell and
// 1 pixel right of its cell".
std::string LostText(const LostPixels& lost);

// "2,150": a count as a reader takes it in at a glance.
std::string WithThousands(std::uint64_t count);

// The glyphs that --clip let their cells cut, and the lit pixels they lost.
struct CutGlyphs {
  std::uint64_t glyphs = 0;
  std::uint64_t pixels = 0;
  std::vector<char16_t> first;  // the first ten glyphs cut, to name

  void Add(char16_t character, const LostPixels& lost);
};

// The one warning at the end of a run with --clip that cut glyphs, naming the
// first ten.
Fault ClipWarning(const CutGlyphs& cut);

// The one line that counts the glyphs moved from their face's place, and
// says where the header's comments show each (`commented`).
Fault MovedNote(std::uint64_t moved, bool commented);

// "moved 1 pixel down from the face's place, to keep all its ink", or "".
std::string MovedText(const Move& moved);

// The characters of a charset's wide or narrow cells, for a fit over its whole image.
std::vector<char16_t> CharsetCharacters(Charset charset, Cell cell);

// The line of --fit for each kind of cell whose em it made smaller than the
// size, naming the glyphs that set it.
void ReportFit(const OpenedFonts& opened, FaultSink& faults);

// What the judge made of a character in its cell.
enum class Verdict : std::uint8_t {
  Drawn,    // the glyph stands in its cell (with --clip, maybe cut, and counted)
  NoGlyph,  // the font has none
  Blank,    // the glyph is empty where the character is no blank
  Cut,      // the glyph is larger than its cell, which `clip` does not allow
};

struct Judgement {
  Verdict verdict = Verdict::NoGlyph;
  std::optional<Glyph> glyph{};  // Drawn and Cut: the glyph as its cell holds it
  Move moved{};                  // Drawn: from the face's place, to hold all its ink
  // Cut: after "U+XXXX X", by how much ("would lose 2 pixels above its cell:
  // its ink is 1 pixel taller than its 16 x 16 cell"), and the ways out.
  std::string tooLarge{};
  std::string hint{};
};

// The one step that puts a character into its cell and weighs what the cell
// holds: the first face that has the glyph draws it, at the face's place or
// the least move from it, and the judge tells a missing glyph, an empty one
// and one larger than its cell. Every glyph of a text and every cell of a
// charset passes here.
class CellJudge {
 public:
  // `fonts` must outlive the judge. With `passCuts`, a glyph larger than its
  // cell is passed as Drawn and not counted, for a later judge to weigh (a
  // text's fit draws it again).
  CellJudge(CellFonts& fonts, bool clip, bool passCuts = false) noexcept
      : fonts_(fonts), clip_(clip), passCuts_(passCuts) {}

  // Throws FatalFault when a face fails to draw a glyph that it has.
  Judgement Judge(char16_t character, Cell cell);

  // What `clip` let the cells cut so far.
  const CutGlyphs& Clipped() const noexcept { return clipped_; }
  // How many glyphs moved from their face's place so far.
  std::uint64_t Moved() const noexcept { return moved_; }

  const CellFonts& fonts() const noexcept { return fonts_; }
  // "the font 'F' (family)", or "any of the fonts 'F' (family), ..." that draw `cell`.
  std::string FontsText(Cell cell) const;
  // The same of every face of both cells.
  std::string AllFontsText() const;

 private:
  CellFonts& fonts_;
  bool clip_;
  bool passCuts_;
  CutGlyphs clipped_;
  std::uint64_t moved_ = 0;
};

// The cell a code's glyph takes: two-byte codes wide, bytes narrow.
inline Cell CellOfCode(std::uint16_t code) noexcept {
  return code > 0xFF ? Cell::Wide : Cell::Narrow;
}

// One glyph of a text's set: a code of code page 936 (lead byte * 256 + trail
// byte, or the byte), the character that the code stands for, and its glyph.
struct GlyphEntry {
  std::uint16_t code = 0;
  char16_t character = 0;
  Glyph glyph;
  Move moved;  // from the face's place, to hold all its ink
};

// The glyphs of a text's distinct characters, drawn as the characters come.
// A glyph belongs to a code, as the display looks it up: it shows the
// character that code page 936 reads there, which is the character itself but
// for --lossy's substitutes and GB 2312's own readings of A1 AA and A1 A4.
//
// Line breaks (LF and CR) are taken and not drawn. A control character, and
// one that the judge does not pass as Drawn, are refused.
class TextGlyphs final : public CharacterTaker {
 public:
  TextGlyphs(CellJudge& judge, Charset charset);

  // Throws FatalFault when the font fails to draw a glyph that it has.
  std::size_t Take(std::u16string_view units) override;
  std::string Refusal(char16_t unit) const override;

  struct Tables {
    std::span<const GlyphEntry> wide;    // of the two-byte codes
    std::span<const GlyphEntry> narrow;  // of the one-byte codes
  };
  // The glyphs taken so far, each table sorted by code, valid until the next Take.
  Tables Sorted();

  // The characters taken for cells of one width.
  std::vector<char16_t> Characters(Cell cell) const;
  // Draws every glyph taken again with `judge` (which must outlive the set),
  // at the ems a fit chose; a glyph larger than its cell goes to `faults`.
  // Throws FatalFault as Take does.
  void Redraw(CellJudge& judge, FaultSink& faults);

 private:
  enum class State : std::uint8_t { Unseen, Taken, Control, NoGlyph, Empty, Cut };

  State Judge(char16_t unit);
  std::uint16_t CodeOf(char16_t unit) const noexcept;

  CellJudge* judge_;
  Charset charset_;
  std::unordered_map<char16_t, std::string> cuts_;  // of the units refused as Cut: why
  std::vector<State> states_;                       // by unit
  std::vector<bool> codeDrawn_;                     // by code: whether entries_ holds its glyph
  std::vector<GlyphEntry> entries_;
};

// Where a charset's cells go, in code order: the grid's rows, each a band,
// then the one-byte codes as the last band.
class CellReceiver {
 public:
  // `laidOut` is the glyph's bytes in the set's layout, valid for the call.
  virtual void Cell(std::uint16_t code, const Glyph& glyph,
                    std::span<const std::uint8_t> laidOut) = 0;
  virtual void EndBand() = 0;

 protected:
  ~CellReceiver() = default;
};

// Every cell of a charset's font image (see code_space.h), drawn and judged
// in code order and handed on laid out: a cell with no character, no glyph or
// a blank one stays dark and is counted; a glyph larger than its cell is an
// error unless the judge clips.
class CharsetCells {
 public:
  CharsetCells(CellJudge& judge, Charset charset, const ByteLayout& layout) noexcept
      : judge_(judge), charset_(charset), layout_(layout) {}

  // Cut glyphs go to `faults` as they are found. Throws FatalFault as the
  // judge does, and what `cells` throws.
  void Draw(CellReceiver& cells, FaultSink& faults);

  // One warning for each reason that left cells dark, the clip's and the moves'.
  void Report(FaultSink& faults) const;

 private:
  enum class Empty { UserDefined, NoCharacter, NoGlyph, Blank };
  static constexpr std::size_t kEmptyKinds = 4;

  Glyph DrawCell(std::uint16_t code, FaultSink& faults);
  Glyph Dark(Cell cell, Empty why);

  CellJudge& judge_;
  Charset charset_;
  ByteLayout layout_;
  std::uint64_t empty_[kEmptyKinds] = {};
};

}  // namespace gbkhex::glyphs
