#include "text/display_width.h"

#include <algorithm>
#include <iterator>
#include <span>
#include <string>

#include "text/characters.h"
#include "text/display_width_table.h"
#include "text/utf8.h"

namespace gbkhex {
namespace {

bool InRanges(std::span<const detail::CodePointRange> ranges, char32_t c) noexcept {
  const auto after = std::upper_bound(
      ranges.begin(), ranges.end(), c,
      [](char32_t value, const detail::CodePointRange& range) { return value < range.first; });
  return after != ranges.begin() && c <= std::prev(after)->last;
}

// How many of `units` are line feeds, counted in 16-bit lanes that the
// compiler can vectorise: every chunk of input passes through here.
std::uint64_t CountLineFeeds(std::u16string_view units) noexcept {
  constexpr std::size_t kBlock = 0xFFFF;  // what a 16-bit count can hold
  std::uint64_t total = 0;
  for (std::size_t start = 0; start < units.size(); start += kBlock) {
    std::uint16_t count = 0;
    for (const char16_t unit : units.substr(start, kBlock)) count += unit == u'\n' ? 1 : 0;
    total += count;
  }
  return total;
}

// The width of one unit that stands alone, or starts a pair: ASCII and the
// common ideographs, nearly all text, go by without a search.
std::uint64_t ColumnsOf(std::u16string_view units, std::size_t at) noexcept {
  const char16_t unit = units[at];
  if (unit < 0x300) return 1;
  if (unit >= 0x4E00 && unit <= 0x9FFF) return 2;
  if (IsLowSurrogate(unit)) return 0;  // the second half of a pair, or a lone half
  return static_cast<std::uint64_t>(DisplayWidth(CodePointAt(units, at)));
}

}  // namespace

int DisplayWidth(char32_t c) noexcept {
  if (c < 0x300) return 1;
  if (InRanges({detail::kZeroWidthRanges, detail::kZeroWidthRangesCount}, c)) return 0;
  if (InRanges({detail::kWideRanges, detail::kWideRangesCount}, c)) return 2;
  return 1;
}

void AdvanceColumn(TextPosition& position, char32_t c) noexcept {
  if (c == U'\t') {
    position.column = ColumnAfterTab(position.column);
  } else {
    position.column += static_cast<std::uint64_t>(DisplayWidth(c));
  }
}

void Advance(TextPosition& position, std::u16string_view units) noexcept {
  const std::size_t lastBreak = units.rfind(u'\n');
  if (lastBreak != std::u16string_view::npos) {
    position.line += CountLineFeeds(units.substr(0, lastBreak + 1));
    position.column = 1;
    units.remove_prefix(lastBreak + 1);
  }
  for (std::size_t at = 0; at < units.size(); ++at) {
    if (units[at] == u'\t') {
      AdvanceColumn(position, U'\t');
    } else {
      position.column += ColumnsOf(units, at);
    }
  }
}

TextPosition PositionOf(std::string_view text, std::size_t offset) {
  text = text.substr(0, offset);
  TextPosition position;
  const std::size_t lineStart = text.rfind('\n') + 1;  // 0 where there is none
  position.line += static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n'));
  const std::string_view line = text.substr(lineStart);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(line.data());
  std::u16string units(line.size(), u'\0');
  for (std::size_t at = 0; at < line.size();) {
    const Utf8Result decoded = DecodeUtf8({bytes + at, line.size() - at}, units.data());
    Advance(position, std::u16string_view(units.data(), decoded.unitsWritten));
    at += decoded.bytesRead;
    if (at == line.size()) break;
    AdvanceColumn(position, U'\uFFFD');
    at += std::max<std::size_t>(1, IllFormedUtf8Length({bytes + at, line.size() - at}));
  }
  return position;
}

}  // namespace gbkhex
