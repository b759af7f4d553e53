#include "text/line_breaks.h"

#include <cstdint>
#include <span>
#include <vector>

#include "text/display_width.h"
#include "text/utf8.h"

namespace gbkhex {
namespace {

// Punctuation that no line may start with, and that no line may end with.
constexpr std::u32string_view kNoLineStart = U"，。、；：？！）」』】》…,.;:?!)]";
constexpr std::u32string_view kNoLineEnd = U"（「『【《";

// What a line may not be broken inside: a word of narrow characters, or one
// wide character (Chinese breaks between any two), with the punctuation that
// clings to it.
struct Unit {
  std::string text{};
  std::size_t columns = 0;
  bool blankBefore = false;
};

// `text` as the units that a line may break between: at blanks, and before
// and after every wide character.
std::vector<Unit> UnitsOf(std::string_view text) {
  std::vector<Unit> units;
  bool blank = false;
  bool clingsToNext = false;
  bool lastWide = false;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  for (std::size_t at = 0; at < text.size();) {
    const Utf8Character decoded =
        DecodeUtf8Character(std::span<const std::uint8_t>(bytes + at, text.size() - at));
    const std::size_t length = decoded.length == 0 ? 1 : decoded.length;
    const char32_t c = decoded.length == 0 ? U'?' : decoded.code;
    const std::string_view piece = text.substr(at, length);
    at += length;
    if (c == U' ') {
      blank = true;
      continue;
    }
    const bool wide = DisplayWidth(c) == 2;
    const bool startsUnit =
        units.empty() || (!clingsToNext && (blank || wide || lastWide) &&
                          (blank || kNoLineStart.find(c) == std::u32string_view::npos));
    if (startsUnit) units.push_back(Unit{.blankBefore = blank});
    Unit& unit = units.back();
    unit.text.append(c == static_cast<char32_t>(kWordJoiner) ? std::string_view(" ") : piece);
    unit.columns += static_cast<std::size_t>(DisplayWidth(c));
    clingsToNext = kNoLineEnd.find(c) != std::u32string_view::npos;
    lastWide = wide;
    blank = false;
  }
  return units;
}

}  // namespace

std::size_t TextColumns(std::string_view text) {
  std::size_t columns = 0;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  for (std::size_t at = 0; at < text.size();) {
    const Utf8Character decoded =
        DecodeUtf8Character(std::span<const std::uint8_t>(bytes + at, text.size() - at));
    columns += decoded.length == 0 ? 1 : static_cast<std::size_t>(DisplayWidth(decoded.code));
    at += decoded.length == 0 ? 1 : decoded.length;
  }
  return columns;
}

std::string WrappedLines(std::string_view text, std::size_t firstColumn, std::size_t indent,
                         std::size_t width) {
  std::string out;
  std::size_t column = firstColumn;
  bool lineHasWords = false;
  for (const Unit& unit : UnitsOf(text)) {
    const std::size_t blank = unit.blankBefore ? 1 : 0;
    if (lineHasWords && column + blank + unit.columns > width) {
      out.append("\n").append(indent, ' ');
      column = indent;
      lineHasWords = false;
    }
    if (lineHasWords && blank != 0) {
      out += ' ';
      ++column;
    }
    out += unit.text;
    column += unit.columns;
    lineHasWords = true;
  }
  return out + "\n";
}

std::string WithBreakMarks(std::string_view text, std::string_view mark) {
  std::string out;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  bool breakAfterLast = false;
  for (std::size_t at = 0; at < text.size();) {
    const Utf8Character decoded =
        DecodeUtf8Character(std::span<const std::uint8_t>(bytes + at, text.size() - at));
    const std::size_t length = decoded.length == 0 ? 1 : decoded.length;
    const bool startsNoLine = kNoLineStart.find(decoded.code) != std::u32string_view::npos;
    if (breakAfterLast && !startsNoLine && decoded.length != 0) out += mark;
    out.append(text.substr(at, length));
    breakAfterLast = decoded.length != 0 && DisplayWidth(decoded.code) == 2 &&
                     kNoLineEnd.find(decoded.code) == std::u32string_view::npos;
    at += length;
  }
  return out;
}

}  // namespace gbkhex
