#include "glyphs/glyph_set.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "convert/code_format.h"
#include "convert/gbk_codec.h"
#include "convert/code_space.h"
#include "text/characters.h"

namespace gbkhex::glyphs {
namespace {

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

std::string InTheFont(const Font& font) {
  return "the font '" + font.Name() + "' (" + font.Family() + ")";
}

}  // namespace

std::string LostText(const LostPixels& lost) {
  const std::pair<int, std::string_view> sides[] = {{lost.above, "above"},
                                                    {lost.below, "below"},
                                                    {lost.left, "left of"},
                                                    {lost.right, "right of"}};
  std::vector<std::string> parts;
  for (const auto& [pixels, side] : sides) {
    if (pixels == 0) continue;
    parts.push_back(std::to_string(pixels) + (pixels == 1 ? " pixel " : " pixels ") +
                    std::string(side) + " its cell");
  }
  std::string text;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) text += i + 1 == parts.size() ? " and " : ", ";
    text += parts[i];
  }
  return text;
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

Fault ClipWarning(const CutGlyphs& cut) {
  return Fault{
      .kind = FaultKind::Undrawable,
      .severity = Severity::Warning,
      .what = WithThousands(cut.glyphs) + (cut.glyphs == 1 ? " glyph lost " : " glyphs lost ") +
              WithThousands(cut.pixels) + (cut.pixels == 1 ? " pixel" : " pixels") +
              (cut.glyphs == 1 ? " outside its cell" : " outside their cells") + " (--clip)"};
}

Judgement CellJudge::Judge(char16_t character, Cell cell) {
  std::optional<DrawnGlyph> drawn;
  try {
    drawn = font_.Draw(character, cell);
  } catch (const FontError& error) {
    throw FatalFault(Fault{.kind = FaultKind::Undrawable, .what = error.what()});
  }
  if (!drawn) return {.verdict = Verdict::NoGlyph};
  if (drawn->Blank() && !IsBlankCharacter(character)) return {.verdict = Verdict::Blank};
  Judgement judged{.verdict = Verdict::Drawn, .glyph = std::move(drawn->glyph)};
  if (const int lost = drawn->lost.Total(); lost != 0) {
    if (!clip_) {
      judged.verdict = Verdict::Cut;
      judged.lost = drawn->lost;
    } else {
      ++clipped_.glyphs;
      clipped_.pixels += static_cast<std::uint64_t>(lost);
    }
  }
  return judged;
}

TextGlyphs::TextGlyphs(CellJudge& judge, Charset charset)
    : judge_(judge), charset_(charset), states_(kUnits, State::Unseen), codeDrawn_(kUnits, false) {}

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
  Judgement judged = judge_.Judge(*character, CellOfCode(code));
  switch (judged.verdict) {
    case Verdict::NoGlyph:
      return State::NoGlyph;
    case Verdict::Blank:
      return State::Empty;
    case Verdict::Cut:
      cuts_.emplace(unit, judged.lost);
      return State::Cut;
    case Verdict::Drawn:
      break;
  }
  entries_.push_back(
      GlyphEntry{.code = code, .character = *character, .glyph = std::move(*judged.glyph)});
  codeDrawn_[code] = true;
  return State::Taken;
}

std::string TextGlyphs::Refusal(char16_t unit) const {
  if (states_[unit] == State::Control) {
    return DescribeCharacter(unit) +
           " is a control character, which no glyph shows (only line breaks may stand in the "
           "text, and are left out)";
  }
  std::string what = DescribeCharacter(unit);
  const std::optional<char16_t> written = GbkDecoder().Decode(CodeOf(unit));
  if (written && *written != unit) what += ", written as " + DescribeCharacter(*written) + ",";
  const std::string font = " in " + InTheFont(judge_.font());
  switch (states_[unit]) {
    case State::Empty:
      return what + " has an empty glyph" + font;
    case State::Cut:
      return what + " would lose " + LostText(cuts_.at(unit)) +
             "; use --baseline, a monospaced face, or --clip to accept the cut";
    default:
      return what + " has no glyph" + font;
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
      faults.Add(Fault{.kind = FaultKind::Undrawable,
                       .what = "code " + CodeText(code) + ", " + DescribeCharacter(*character) +
                               ", would lose " + LostText(judged.lost),
                       .hint = "use --baseline, a monospaced face, or --clip to accept the cut"});
      break;
    case Verdict::Drawn:
      break;
  }
  return std::move(*judged.glyph);
}

Glyph CharsetCells::Dark(Cell cell, Empty why) {
  ++empty_[static_cast<std::size_t>(why)];
  const Font& font = judge_.font();
  return Glyph(font.CellWidth(cell), font.PixelSize(), font.BitsPerPixel());
}

void CharsetCells::Report(FaultSink& faults) const {
  const std::string reads = charset_ == Charset::Gb2312 ? "GB 2312" : "code page 936";
  const std::pair<std::string, std::string> texts[kEmptyKinds] = {
      {" user-defined code has no glyph in ", " user-defined codes have no glyph in "},
      {" code reads no character in " + reads, " codes read no character in " + reads},
      {" character has no glyph in ", " characters have no glyph in "},
      {" glyph is blank where its character is not, in ",
       " glyphs are blank where their characters are not, in "}};
  for (std::size_t kind = 0; kind < kEmptyKinds; ++kind) {
    const std::uint64_t count = empty_[kind];
    if (count == 0) continue;
    std::string what = WithThousands(count) + (count == 1 ? texts[kind].first : texts[kind].second);
    if (kind != static_cast<std::size_t>(Empty::NoCharacter)) what += InTheFont(judge_.font());
    what += count == 1 ? "; its cell is dark" : "; their cells are dark";
    faults.Add(Fault{.kind = FaultKind::Undrawable, .severity = Severity::Warning, .what = what});
  }
  if (judge_.Clipped().glyphs != 0) faults.Add(ClipWarning(judge_.Clipped()));
}

}  // namespace gbkhex::glyphs
