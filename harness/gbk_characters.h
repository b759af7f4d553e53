#pragma once

// Every character that code page 936 encodes exactly, controls left out: what
// a font for a display must draw when it holds the whole of GBK.

#include <vector>

#include "convert/code_page_936.h"

namespace gbkhex::harness {

inline std::vector<char16_t> GbkCharacters() {
  std::vector<char16_t> characters;
  for (unsigned unit = 0x20; unit <= 0xFFFF; ++unit) {
    const bool control = unit >= 0x7F && unit < 0xA0;
    if (!control && IsExactInCodePage936(static_cast<char16_t>(unit))) {
      characters.push_back(static_cast<char16_t>(unit));
    }
  }
  return characters;
}

}  // namespace gbkhex::harness
