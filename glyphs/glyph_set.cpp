#include "glyphs/glyph_set.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "convert/code_format.h"
#include "convert/code_space.h"
#include "convert/gbk_codec.h"
#include "i18n/messages.h"
#include "text/characters.h"

namespace gbkhex::glyphs {
namespace {

using i18n::Fill;
using i18n::Tr;
using i18n::TrN;

constexpr std::size_t kUnits = 0x10000;

bool IsLineBreak(char16_t unit) noexcept { return unit == u'\n' || unit == u'\r'; }

bool IsControl(char16_t unit) noexcept { return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F); }

bool IsUserDefined(char16_t character) noexcept {
  return character >= 0xE000 && character <= 0xF8FF;
}

std::string CodeText(std::uint16_t code) {
  return code > 0xFF ? NumToStrHex(code >> 8, 1) + " " + NumToStrHex(code & 0xFF, 1)
                     : NumToStrHex(code, 1);
}

// "a, b and c" or, with `lastJoin` "%s, or %s", "a, b, or c".
std::string Listed(const std::vector<std::string>& items, std::string_view lastJoin) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i == 0) {
      text = items[i];
    } else {
      // TRANSLATORS: joins the items of a list but for the last two.
      text = Fill(i + 1 == items.size() ? lastJoin : Tr("%s, %s"), {text, items[i]});
    }
  }
  return text;
}

// "U+4E00 '一', U+4E01 '丁' and 3 more": the first characters of many, or all.
std::string CharactersText(std::span<const char16_t> characters, std::uint64_t count) {
  std::vector<std::string> named;
  for (const char16_t character : characters) named.push_back(DescribeCharacter(character));
  std::string text = Listed(named, Tr("%s, %s"));
  if (count <= characters.size()) return text;
  return Fill(Tr("%s and %s more"), {text, WithThousands(count - characters.size())});
}

// "the font 'F' (family)", or "any of the fonts 'F' (family), 'G' (family)".
std::string FacesText(std::span<const Font* const> faces) {
  std::string names;
  for (std::size_t i = 0; i < faces.size(); ++i) {
    names += (i == 0 ? "'" : ", '") + faces[i]->Name() + "' (" + faces[i]->Family() + ")";
  }
  return Fill(TrN("the font %s", "any of the fonts %s", faces.size()), {names});
}

std::string TooLargeText(const DrawnGlyph& drawn) {
  const Excess& excess = drawn.excess;
  std::vector<std::string> larger;
  if (excess.wider > 0) {
    larger.push_back(Fill(TrN("%s pixel wider", "%s pixels wider", excess.wider),
                          {std::to_string(excess.wider)}));
  }
  if (excess.taller > 0) {
    larger.push_back(Fill(TrN("%s pixel taller", "%s pixels taller", excess.taller),
                          {std::to_string(excess.taller)}));
  }
  // TRANSLATORS: said of a character named before it: "U+4E00 '一' would lose ...".
  if (larger.empty()) return Fill(Tr(" would lose %s"), {LostText(drawn.lost)});
  return Fill(Tr(" would lose %s: its ink is %s than its %s x %s cell"),
              {LostText(drawn.lost), Listed(larger, Tr("%s and %s")),
               std::to_string(drawn.glyph.Width()), std::to_string(drawn.glyph.Height())});
}

// The ways out for a glyph larger than its cell: --fit or --em, --narrow-font
// and a monospaced face for a narrow one (the latter where the face is not
// one), and --clip.
std::string TooLargeHint(const DrawnGlyph& drawn, Cell cell, bool monospaced) {
  std::vector<std::string> ways;
  if (drawn.excess.Any()) ways.emplace_back(Tr("--fit or --em to draw it at a smaller em"));
  if (cell == Cell::Narrow) {
    ways.emplace_back(Tr("--narrow-font to draw the narrow cells from a face made for them"));
    if (!monospaced) ways.emplace_back(Tr("a monospaced face"));
  }
  ways.emplace_back(Tr("--clip to accept the cut"));
  // TRANSLATORS: the ways out of a glyph that its cell cuts, listed after "use".
  return Fill(Tr("use %s"), {Listed(ways, Tr("%s, or %s"))});
}

}  // namespace

std::string LostText(const LostPixels& lost) {
  const std::pair<int, std::string_view> sides[] = {
      {lost.above, TrN("%s pixel above its cell", "%s pixels above its cell", lost.above)},
      {lost.below, TrN("%s pixel below its cell", "%s pixels below its cell", lost.below)},
      {lost.left, TrN("%s pixel left of its cell", "%s pixels left of its cell", lost.left)},
      {lost.right, TrN("%s pixel right of its cell", "%s pixels right of its cell", lost.right)}};
  std::vector<std::string> parts;
  for (const auto& [pixels, side] : sides) {
    if (pixels != 0) parts.push_back(Fill(side, {std::to_string(pixels)}));
  }
  return Listed(parts, Tr("%s and %s"));
}

std::string WithThousands(std::uint64_t count) {
  const std::string digits = std::to_string(count);
  std::string text;
  for (std::size_t at = 0; at < digits.size(); ++at) {
    if (at > 0 && (digits.size() - at) % 3 == 0) text += ',';
    text += digits[at];
  }
  return text;
}

void CutGlyphs::Add(char16_t character, const LostPixels& lost) {
  constexpr std::size_t kNamed = 10;
  ++glyphs;
  pixels += static_cast<std::uint64_t>(lost.Total());
  if (first.size() < kNamed) first.push_back(character);
}

Fault ClipWarning(const CutGlyphs& cut) {
  const std::string pixels =
      Fill(TrN("%s pixel", "%s pixels", cut.pixels), {WithThousands(cut.pixels)});
  return Fault{
      .kind = FaultKind::Undrawable,
      .severity = Severity::Warning,
      .what = Fill(TrN("%s glyph lost %s outside its cell (--clip): %s",
                       "%s glyphs lost %s outside their cells (--clip): %s", cut.glyphs),
                   {WithThousands(cut.glyphs), pixels, CharactersText(cut.first, cut.glyphs)})};
}

Fault MovedNote(std::uint64_t moved, bool commented) {
  return Fault{.kind = FaultKind::Undrawable,
               .severity = Severity::Warning,
               .what = Fill(commented ? TrN("%s glyph moved from the face's place by the fewest "
                                            "whole pixels that keep all its ink in its cell, as "
                                            "the comment before its bitmap says",
                                            "%s glyphs moved from the face's place by the fewest "
                                            "whole pixels that keep all their ink in their "
                                            "cells, as the comments before their bitmaps say",
                                            moved)
                                      : TrN("%s glyph moved from the face's place by the fewest "
                                            "whole pixels that keep all its ink in its cell",
                                            "%s glyphs moved from the face's place by the fewest "
                                            "whole pixels that keep all their ink in their cells",
                                            moved),
                            {WithThousands(moved)})};
}

std::string MovedText(const Move& moved) {
  const std::pair<int, std::string_view> ways[] = {
      {moved.right, moved.right > 0 ? " right" : " left"},
      {moved.down, moved.down > 0 ? " down" : " up"}};
  std::string text;
  for (const auto& [pixels, way] : ways) {
    if (pixels == 0) continue;
    // The header's comment, which stays in English whatever the messages' language.
    const int count = pixels < 0 ? -pixels : pixels;
    text += (text.empty() ? "moved " : " and ") + std::to_string(count) +
            (count == 1 ? " pixel" : " pixels") + std::string(way);
  }
  return text.empty() ? text : text + " from the face's place, to keep all its ink";
}

std::vector<char16_t> CharsetCharacters(Charset charset, Cell cell) {
  std::vector<char16_t> characters;
  const auto take = [&](std::uint16_t code) {
    if (const std::optional<char16_t> character = GbkDecoder(charset).Decode(code)) {
      characters.push_back(*character);
    }
  };
  if (cell == Cell::Wide) {
    const CodeGrid grid = GridOf(charset);
    for (std::size_t at = 0; at < grid.rows * grid.columns; ++at) take(CodeOfCell(grid, at));
  } else {
    for (unsigned code = kFirstNarrowCode; code < kFirstNarrowCode + kNarrowCells; ++code) {
      take(static_cast<std::uint16_t>(code));
    }
  }
  return characters;
}

void ReportFit(const OpenedFonts& opened, FaultSink& faults) {
  constexpr std::size_t kNamed = 10;
  const auto report = [&](const FontChain& chain, std::span<const char16_t> setters,
                          std::string_view message) {
    if (setters.empty()) return;
    const Font& font = chain.First();
    const std::string setBy =
        CharactersText(setters.first(std::min(setters.size(), kNamed)), setters.size());
    faults.Add(Fault{.kind = FaultKind::Undrawable,
                     .severity = Severity::Warning,
                     .what = Fill(message, {std::to_string(font.Em()),
                                            std::to_string(font.PixelSize()), setBy})});
  };
  report(opened.fonts.wide, opened.wideSetters,
         Tr("--fit: wide glyphs at %s px to the em in cells %s px high, set by %s, larger than "
            "their cells at the em above"));
  report(opened.fonts.narrow, opened.narrowSetters,
         Tr("--fit: narrow glyphs at %s px to the em in cells %s px high, set by %s, larger than "
            "their cells at the em above"));
}

Judgement CellJudge::Judge(char16_t character, Cell cell) {
  std::optional<FontChain::Drawn> found;
  try {
    found = fonts_.Draw(character, cell);
  } catch (const FontError& error) {
    throw FatalFault(Fault{.kind = FaultKind::Undrawable, .what = error.what()});
  }
  if (!found) return {.verdict = Verdict::NoGlyph};
  DrawnGlyph& drawn = found->drawn;
  if (drawn.Blank() && !IsBlankCharacter(character)) return {.verdict = Verdict::Blank};
  Judgement judged{.verdict = Verdict::Drawn, .moved = drawn.moved};
  if (drawn.LostInk() && !passCuts_) {
    if (!clip_) {
      judged.verdict = Verdict::Cut;
      judged.tooLarge = TooLargeText(drawn);
      judged.hint = TooLargeHint(drawn, cell, fonts_.For(cell).Fonts()[found->face].Monospaced());
    } else {
      clipped_.Add(character, drawn.lost);
    }
  }
  if (judged.verdict == Verdict::Drawn) moved_ += !drawn.moved.None();
  judged.glyph = std::move(drawn.glyph);
  return judged;
}

std::string CellJudge::FontsText(Cell cell) const {
  std::vector<const Font*> faces;
  for (const Font& font : fonts_.For(cell).Fonts()) faces.push_back(&font);
  return FacesText(faces);
}

std::string CellJudge::AllFontsText() const {
  std::vector<const Font*> faces;
  for (const FontChain* chain : {&fonts_.wide, &fonts_.narrow}) {
    for (const Font& font : chain->Fonts()) {
      if (std::none_of(faces.begin(), faces.end(), [&](const Font* face) {
            return face->Name() == font.Name() && face->FaceIndex() == font.FaceIndex();
          })) {
        faces.push_back(&font);
      }
    }
  }
  return FacesText(faces);
}

TextGlyphs::TextGlyphs(CellJudge& judge, Charset charset)
    : judge_(&judge),
      charset_(charset),
      states_(kUnits, State::Unseen),
      codeDrawn_(kUnits, false) {}

std::uint16_t TextGlyphs::CodeOf(char16_t unit) const noexcept {
  return GbkEncoder(charset_).Code(unit);
}

std::size_t TextGlyphs::Take(std::u16string_view units) {
  for (std::size_t at = 0; at < units.size(); ++at) {
    State& state = states_[units[at]];
    if (state == State::Unseen) state = Judge(units[at]);
    if (state != State::Taken) return at;
  }
  return units.size();
}

TextGlyphs::State TextGlyphs::Judge(char16_t unit) {
  if (IsLineBreak(unit)) return State::Taken;
  if (IsControl(unit)) return State::Control;
  const std::uint16_t code = CodeOf(unit);
  if (codeDrawn_[code]) return State::Taken;
  const std::optional<char16_t> character = GbkDecoder().Decode(code);
  if (!character || IsControl(*character)) return State::NoGlyph;
  Judgement judged = judge_->Judge(*character, CellOfCode(code));
  switch (judged.verdict) {
    case Verdict::NoGlyph:
      return State::NoGlyph;
    case Verdict::Blank:
      return State::Empty;
    case Verdict::Cut:
      cuts_.emplace(unit, Fill(Tr("%s; %s"), {judged.tooLarge, judged.hint}));
      return State::Cut;
    case Verdict::Drawn:
      break;
  }
  entries_.push_back(GlyphEntry{.code = code,
                                .character = *character,
                                .glyph = std::move(*judged.glyph),
                                .moved = judged.moved});
  codeDrawn_[code] = true;
  return State::Taken;
}

std::string TextGlyphs::Refusal(char16_t unit) const {
  if (states_[unit] == State::Control) {
    return Fill(Tr("%s is a control character, which no glyph shows (only line breaks may "
                   "stand in the text, and are left out)"),
                {DescribeCharacter(unit)});
  }
  std::string what = DescribeCharacter(unit);
  const std::optional<char16_t> written = GbkDecoder().Decode(CodeOf(unit));
  if (written && *written != unit) {
    what = Fill(Tr("%s, written as %s,"), {what, DescribeCharacter(*written)});
  }
  const std::string font = judge_->FontsText(CellFor(written.value_or(unit)));
  switch (states_[unit]) {
    case State::Empty:
      return Fill(Tr("%s has an empty glyph in %s"), {what, font});
    case State::Cut:
      return what + cuts_.at(unit);
    default:
      return Fill(Tr("%s has no glyph in %s"), {what, font});
  }
}

std::vector<char16_t> TextGlyphs::Characters(Cell cell) const {
  std::vector<char16_t> characters;
  for (const GlyphEntry& entry : entries_) {
    if (CellOfCode(entry.code) == cell) characters.push_back(entry.character);
  }
  return characters;
}

void TextGlyphs::Redraw(CellJudge& judge, FaultSink& faults) {
  judge_ = &judge;
  for (GlyphEntry& entry : entries_) {
    Judgement judged = judge.Judge(entry.character, CellOfCode(entry.code));
    if (!judged.glyph) continue;  // a face that has the glyph at one em has it at all
    if (judged.verdict == Verdict::Cut) {
      faults.Add(Fault{.kind = FaultKind::Undrawable,
                       .what = DescribeCharacter(entry.character) + judged.tooLarge,
                       .hint = judged.hint});
    }
    entry.glyph = std::move(*judged.glyph);
    entry.moved = judged.moved;
  }
}

TextGlyphs::Tables TextGlyphs::Sorted() {
  std::sort(entries_.begin(), entries_.end(),
            [](const GlyphEntry& a, const GlyphEntry& b) { return a.code < b.code; });
  const auto wide = std::find_if(entries_.begin(), entries_.end(),
                                 [](const GlyphEntry& entry) { return entry.code > 0xFF; });
  const std::span<const GlyphEntry> all(entries_);
  const auto narrowCount = static_cast<std::size_t>(wide - entries_.begin());
  return Tables{.wide = all.subspan(narrowCount), .narrow = all.first(narrowCount)};
}

void CharsetCells::Draw(CellReceiver& cells, FaultSink& faults) {
  const CodeGrid grid = GridOf(charset_);
  std::vector<std::uint8_t> bytes;
  const auto cell = [&](std::uint16_t code) {
    const Glyph glyph = DrawCell(code, faults);
    bytes.clear();
    AppendLaidOut(glyph, layout_, bytes);
    cells.Cell(code, glyph, bytes);
  };
  for (std::size_t row = 0; row < grid.rows; ++row) {
    for (std::size_t column = 0; column < grid.columns; ++column) {
      cell(CodeOfCell(grid, row * grid.columns + column));
    }
    cells.EndBand();
  }
  for (unsigned code = kFirstNarrowCode; code < kFirstNarrowCode + kNarrowCells; ++code) {
    cell(static_cast<std::uint16_t>(code));
  }
  cells.EndBand();
}

Glyph CharsetCells::DrawCell(std::uint16_t code, FaultSink& faults) {
  const Cell cell = CellOfCode(code);
  const std::optional<char16_t> character = GbkDecoder(charset_).Decode(code);
  if (!character) return Dark(cell, Empty::NoCharacter);
  Judgement judged = judge_.Judge(*character, cell);
  const bool userDefined = IsUserDefined(*character);
  switch (judged.verdict) {
    case Verdict::NoGlyph:
      return Dark(cell, userDefined ? Empty::UserDefined : Empty::NoGlyph);
    case Verdict::Blank:
      return Dark(cell, userDefined ? Empty::UserDefined : Empty::Blank);
    case Verdict::Cut:
      faults.Add(
          Fault{.kind = FaultKind::Undrawable,
                .what = Fill(Tr("code %s, %s,%s"),
                             {CodeText(code), DescribeCharacter(*character), judged.tooLarge}),
                .hint = judged.hint});
      break;
    case Verdict::Drawn:
      break;
  }
  return std::move(*judged.glyph);
}

Glyph CharsetCells::Dark(Cell cell, Empty why) {
  ++empty_[static_cast<std::size_t>(why)];
  const Font& font = judge_.fonts().wide.First();
  return Glyph(font.CellWidth(cell), font.PixelSize(), font.BitsPerPixel());
}

void CharsetCells::Report(FaultSink& faults) const {
  const std::string_view reads = charset_ == Charset::Gb2312 ? "GB 2312" : Tr("code page 936");
  for (std::size_t kind = 0; kind < kEmptyKinds; ++kind) {
    const std::uint64_t count = empty_[kind];
    if (count == 0) continue;
    const std::string number = WithThousands(count);
    std::string what;
    switch (static_cast<Empty>(kind)) {
      case Empty::UserDefined:
        what = Fill(TrN("%s user-defined code has no glyph in %s; its cell is dark",
                        "%s user-defined codes have no glyph in %s; their cells are dark", count),
                    {number, judge_.AllFontsText()});
        break;
      case Empty::NoCharacter:
        what = Fill(TrN("%s code reads no character in %s; its cell is dark",
                        "%s codes read no character in %s; their cells are dark", count),
                    {number, reads});
        break;
      case Empty::NoGlyph:
        what = Fill(TrN("%s character has no glyph in %s; its cell is dark",
                        "%s characters have no glyph in %s; their cells are dark", count),
                    {number, judge_.AllFontsText()});
        break;
      case Empty::Blank:
        what = Fill(TrN("%s glyph is blank where its character is not, in %s; its cell is dark",
                        "%s glyphs are blank where their characters are not, in %s; their "
                        "cells are dark",
                        count),
                    {number, judge_.AllFontsText()});
        break;
    }
    faults.Add(Fault{.kind = FaultKind::Undrawable, .severity = Severity::Warning, .what = what});
  }
  if (judge_.Clipped().glyphs != 0) faults.Add(ClipWarning(judge_.Clipped()));
  if (judge_.Moved() != 0) faults.Add(MovedNote(judge_.Moved(), false));
}

}  // namespace gbkhex::glyphs
