#pragma once

// The text that the conversion benchmarks run on: ideographs that GBK encodes
// in two bytes (U+4E00 to U+9FA5) and printable ASCII, `cjkPercent` % of its
// characters the former, the same text for the same seed on every run. Kept
// here once, so that every conversion figure is for the same kind of text; the
// keystroke benchmarks type sample_text.h's text instead.

#include <cstddef>
#include <random>
#include <string>

#include "convert/unicode.h"

namespace gbkhex::harness {

class TypicalText {
 public:
  explicit TypicalText(std::mt19937::result_type seed, int cjkPercent = 70)
      : random_(seed), cjkPercent_(cjkPercent) {}

  // The generator the text is drawn from, for a caller that draws more from
  // it (lengths, say) and wants the whole to be the same on every run.
  std::mt19937& Random() noexcept { return random_; }

  std::u16string Utf16(std::size_t characters) {
    std::u16string text;
    text.reserve(characters);
    for (std::size_t i = 0; i < characters; ++i) text += static_cast<char16_t>(Next());
    return text;
  }

  std::string Utf8(std::size_t characters) {
    std::string text;
    text.reserve(characters * 3);
    for (std::size_t i = 0; i < characters; ++i) AppendUtf8(static_cast<char32_t>(Next()), text);
    return text;
  }

 private:
  int Next() { return percent_(random_) < cjkPercent_ ? cjk_(random_) : ascii_(random_); }

  std::mt19937 random_;
  int cjkPercent_;
  std::uniform_int_distribution<int> percent_{0, 99};
  std::uniform_int_distribution<int> cjk_{0x4E00, 0x9FA5};
  std::uniform_int_distribution<int> ascii_{0x20, 0x7E};
};

}  // namespace gbkhex::harness
