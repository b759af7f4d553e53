#include <array>
#include <utility>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include "convert/gbk_codec.h"

namespace gbkhex {
namespace {

constexpr unsigned kFirstGb2312Byte = 0xA1;
constexpr unsigned kLastGb2312Lead = 0xF7;
constexpr unsigned kCellsPerRow = 94;  // trail bytes A1..FE
constexpr unsigned kRows = kLastGb2312Lead - kFirstGb2312Byte + 1;

// GB2312's assigned codes, as runs in code order; a run may pass the end of a
// row, where the trail bytes outside A1..FE belong to no row at all.
constexpr std::pair<std::uint16_t, std::uint16_t> kGb2312Runs[] = {
    {0xA1A1, 0xA1FE},  // punctuation and signs
    {0xA2B1, 0xA2E2},  // numbers: 1. to 20., (1) to (20), circled 1 to 10
    {0xA2E5, 0xA2EE},  // parenthesised ideographic 1 to 10
    {0xA2F1, 0xA2FC},  // Roman numerals I to XII
    {0xA3A1, 0xA4F3},  // full-width ASCII, hiragana
    {0xA5A1, 0xA5F6},  // katakana
    {0xA6A1, 0xA6B8},  // Greek capitals
    {0xA6C1, 0xA6D8},  // Greek small letters
    {0xA7A1, 0xA7C1},  // Cyrillic capitals
    {0xA7D1, 0xA7F1},  // Cyrillic small letters
    {0xA8A1, 0xA8BA},  // pinyin letters
    {0xA8C5, 0xA8E9},  // bopomofo
    {0xA9A4, 0xA9EF},  // box drawing
    {0xB0A1, 0xD7F9},  // hanzi, level 1 (row D7 ends five cells early)
    {0xD8A1, 0xF7FE},  // hanzi, level 2
};

// One bit per cell of the 94 x 94 grid, rows A1..F7.
constexpr auto kGb2312Cells = [] {
  std::array<std::uint64_t, (kRows * kCellsPerRow + 63) / 64> bits{};
  for (const auto& [first, last] : kGb2312Runs) {
    for (unsigned code = first; code <= last; ++code) {
      const unsigned cell = (code & 0xFFu) - kFirstGb2312Byte;
      if (cell >= kCellsPerRow) continue;
      const unsigned index = ((code >> 8) - kFirstGb2312Byte) * kCellsPerRow + cell;
      bits[index / 64] |= std::uint64_t{1} << (index % 64);
    }
  }
  return bits;
}();

bool IsAscii(std::uint16_t code) noexcept { return code < 0x80; }

// Whether the eight units at `units` are all ASCII or U+4E00..U+9FA5, which
// GBK holds exactly: most text, told apart from the rest in a few vector
// instructions where the processor has them (x86-64 always has SSE2).
bool AllAsciiOrGbkIdeographs([[maybe_unused]] const char16_t* units) noexcept {
#if defined(__SSE2__) || defined(_M_X64)
  const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units));
  // x <= limit, unsigned, is x - limit saturating at zero.
  const __m128i ascii = _mm_subs_epu16(block, _mm_set1_epi16(0x7F));
  const __m128i ideograph =
      _mm_subs_epu16(_mm_sub_epi16(block, _mm_set1_epi16(0x4E00)), _mm_set1_epi16(0x9FA5 - 0x4E00));
  const __m128i zero = _mm_setzero_si128();
  const __m128i inside =
      _mm_or_si128(_mm_cmpeq_epi16(ascii, zero), _mm_cmpeq_epi16(ideograph, zero));
  return _mm_movemask_epi8(inside) == 0xFFFF;
#else
  return false;
#endif
}

std::size_t FindFirstNotInGbk(std::u16string_view units) noexcept {
  // The checking path of every conversion: eight units to a branch, since
  // nearly all text passes.
  constexpr std::size_t kBlock = 8;
  std::size_t at = 0;
  for (; at + kBlock <= units.size(); at += kBlock) {
    if (AllAsciiOrGbkIdeographs(units.data() + at)) continue;
    bool exact = true;
    for (std::size_t i = 0; i < kBlock; ++i) exact &= detail::IsExactUnit(units[at + i]);
    if (!exact) break;
  }
  while (at < units.size() && detail::IsExactUnit(units[at])) ++at;
  return at;
}

// Writes the bytes of the code that `codeOf` gives each unit; returns the end.
template <class CodeOfUnit>
char* WriteCodes(std::u16string_view units, char* at, CodeOfUnit codeOf) noexcept {
  for (const char16_t unit : units) {
    // Two bytes are stored either way: the lead byte and the trail byte, or
    // the one byte and a 00 that the next code overwrites. Which is chosen by
    // a mask, not a branch, which text mixing ASCII and Chinese at random
    // would mispredict every third character.
    const std::uint32_t code = codeOf(unit);
    const std::uint32_t two = (code >> 8) != 0 ? 1 : 0;
    const std::uint32_t swapped = (code << 8 | code >> 8) & 0xFFFF;
    const std::uint32_t first = code ^ ((code ^ swapped) & (0 - two));
    at[0] = static_cast<char>(first);
    at[1] = static_cast<char>(first >> 8);
    at += 1 + two;
  }
  return at;
}

}  // namespace

bool IsGb2312Code(std::uint16_t code) noexcept {
  const unsigned row = (code >> 8) - kFirstGb2312Byte;
  const unsigned cell = (code & 0xFFu) - kFirstGb2312Byte;
  if (row >= kRows || cell >= kCellsPerRow) return false;
  const unsigned index = row * kCellsPerRow + cell;
  return (kGb2312Cells[index / 64] >> (index % 64) & 1u) != 0;
}

bool GbkEncoder::Holds(char16_t unit) const noexcept {
  unit = UnitToWrite(charset_, unit);
  if (!detail::IsExactUnit(unit)) return false;
  if (charset_ == Charset::Gbk) return true;
  const std::uint16_t code = CodeOf(unit);
  return IsAscii(code) || IsGb2312Code(code);
}

std::size_t GbkEncoder::FindUnmappable(std::u16string_view units) const noexcept {
  if (charset_ == Charset::Gbk) return FindFirstNotInGbk(units);
  std::size_t at = 0;
  while (at < units.size() && Holds(units[at])) ++at;
  return at;
}

EncodeStep GbkEncoder::Encode(std::u16string_view units, char* out,
                              Unmappable unmappable) const noexcept {
  EncodeStep step;
  if (unmappable == Unmappable::Stop) {
    const std::size_t held = FindUnmappable(units);
    step.unmappable = held < units.size();
    units = units.substr(0, held);
  }
  // GBK, nearly every text, reads no unit of its own: its loop tests for none.
  const char* const end = charset_ == Charset::Gbk
                              ? WriteCodes(units, out, CodeOf)
                              : WriteCodes(units, out, [](char16_t unit) {
                                  return CodeOf(UnitToWrite(Charset::Gb2312, unit));
                                });
  step.unitsRead = units.size();
  step.bytesWritten = static_cast<std::size_t>(end - out);
  return step;
}

void GbkEncoder::Append(std::u16string_view units, std::string& out) const {
  const std::size_t start = out.size();
  out.resize(start + 2 * units.size());
  out.resize(start + Encode(units, out.data() + start).bytesWritten);
}

std::u16string_view GbkEncoder::UnitsToWrite(std::u16string_view units,
                                             std::u16string& buffer) const {
  if (charset_ != Charset::Gb2312 ||
      units.find_first_of(u"\u2015\u30FB") == std::u16string_view::npos) {
    return units;
  }
  buffer.assign(units);
  for (char16_t& unit : buffer) unit = UnitToWrite(charset_, unit);
  return buffer;
}

}  // namespace gbkhex
