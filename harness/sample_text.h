#pragma once

// The text that the keystroke benchmarks and the long-input tests type into
// Text1: 70 % Chinese characters (CJK Unified Ideographs, all of them in GBK)
// and 30 % lower-case Latin letters, the same on every run. Kept here once, so
// that every front end's figures are for the same text; the page's scripts
// get it from the sample_text program.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace gbkhex::harness {

enum class SampleShape {
  OneParagraph,  // no line break at all: a text box lays out all of it again on each change
  Lines,         // a line break after every 80 characters
};

inline constexpr std::size_t kSampleLineLength = 80;

// `size` units of the sample text, with `lineBreak` (one unit or CR LF) for
// each line break. A line break that would not fit whole at the end is left out.
template <class Unit>
std::basic_string<Unit> SampleText(std::size_t size, SampleShape shape,
                                   std::basic_string_view<Unit> lineBreak) {
  std::basic_string<Unit> text;
  text.reserve(size);
  std::uint32_t state = 12345;
  std::size_t onLine = 0;
  while (text.size() < size) {
    if (shape == SampleShape::Lines && onLine == kSampleLineLength &&
        text.size() + lineBreak.size() <= size) {
      text += lineBreak;
      onLine = 0;
      continue;
    }
    state = state * 1664525u + 1013904223u;
    const std::uint32_t r = state >> 8;
    text += r % 10 < 7 ? static_cast<Unit>(0x4E00 + r % 0x51A6) : static_cast<Unit>(u'a' + r % 26);
    ++onLine;
  }
  return text;
}

}  // namespace gbkhex::harness
