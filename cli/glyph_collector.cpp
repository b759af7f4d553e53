#include "cli/glyph_collector.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/fault_report.h"
#include "convert/gbk_codec.h"
#include "text/characters.h"

namespace gbkhex::cli {
namespace {

constexpr std::size_t kUnits = 0x10000;

bool IsLineBreak(char16_t unit) noexcept { return unit == u'\n' || unit == u'\r'; }

bool IsControl(char16_t unit) noexcept { return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F); }

}  // namespace

std::string LostText(const glyphs::LostPixels& lost) {
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

Fault OutputFault(const std::string& input, const std::string& what) {
  return Fault{.kind = FaultKind::Output, .input = input, .what = what};
}

GlyphCollector::GlyphCollector(glyphs::Font& font, Charset charset, bool clip)
    : font_(font),
      charset_(charset),
      clip_(clip),
      states_(kUnits, State::Unseen),
      codeDrawn_(kUnits, false) {}

std::uint16_t GlyphCollector::CodeOf(char16_t unit) const noexcept {
  return GbkEncoder(charset_).Code(unit);
}

std::size_t GlyphCollector::Take(std::u16string_view units) {
  for (std::size_t at = 0; at < units.size(); ++at) {
    State& state = states_[units[at]];
    if (state == State::Unseen) state = Judge(units[at]);
    if (state != State::Taken) return at;
  }
  return units.size();
}

GlyphCollector::State GlyphCollector::Judge(char16_t unit) {
  if (IsLineBreak(unit)) return State::Taken;
  if (IsControl(unit)) return State::Control;
  const std::uint16_t code = CodeOf(unit);
  if (codeDrawn_[code]) return State::Taken;
  const std::optional<char16_t> character = GbkDecoder().Decode(code);
  if (!character || IsControl(*character)) return State::NoGlyph;
  const glyphs::Cell cell = code > 0xFF ? glyphs::Cell::Wide : glyphs::Cell::Narrow;
  std::optional<glyphs::DrawnGlyph> drawn;
  try {
    drawn = font_.Draw(*character, cell);
  } catch (const glyphs::FontError& error) {
    throw FatalFault(Fault{.kind = FaultKind::Undrawable, .what = error.what()});
  }
  if (!drawn) return State::NoGlyph;
  if (drawn->Blank() && !glyphs::IsBlankCharacter(*character)) return State::Empty;
  if (const int lost = drawn->lost.Total(); lost != 0) {
    if (!clip_) {
      cuts_.emplace(unit, drawn->lost);
      return State::Cut;
    }
    ++clipped_.glyphs;
    clipped_.pixels += static_cast<std::uint64_t>(lost);
  }
  entries_.push_back(
      GlyphEntry{.code = code, .character = *character, .glyph = std::move(drawn->glyph)});
  codeDrawn_[code] = true;
  return State::Taken;
}

std::string GlyphCollector::Refusal(char16_t unit) const {
  if (states_[unit] == State::Control) {
    return DescribeCharacter(unit) +
           " is a control character, which no glyph shows (only line breaks may stand in the "
           "text, and are left out)";
  }
  std::string what = DescribeCharacter(unit);
  const std::optional<char16_t> written = GbkDecoder().Decode(CodeOf(unit));
  if (written && *written != unit) what += ", written as " + DescribeCharacter(*written) + ",";
  const std::string font = " in the font '" + font_.Name() + "' (" + font_.Family() + ")";
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

GlyphCollector::Tables GlyphCollector::Sorted() {
  std::sort(entries_.begin(), entries_.end(),
            [](const GlyphEntry& a, const GlyphEntry& b) { return a.code < b.code; });
  const auto wide = std::find_if(entries_.begin(), entries_.end(),
                                 [](const GlyphEntry& entry) { return entry.code > 0xFF; });
  const std::span<const GlyphEntry> all(entries_);
  const auto narrowCount = static_cast<std::size_t>(wide - entries_.begin());
  return Tables{.wide = all.subspan(narrowCount), .narrow = all.first(narrowCount)};
}

}  // namespace gbkhex::cli
