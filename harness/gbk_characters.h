#pragma once

// Every character that code page 936 encodes exactly, controls left out: what
// a font for a display must draw when it holds the whole of GBK.

#include <cstdint>
#include <optional>
#include <vector>

#include "convert/gbk_codec.h"

namespace gbkhex::harness {

inline std::vector<char16_t> GbkCharacters() {
  std::vector<char16_t> characters;
  for (unsigned unit = 0x20; unit <= 0xFFFF; ++unit) {
    const bool control = unit >= 0x7F && unit < 0xA0;
    if (!control && GbkEncoder().Holds(static_cast<char16_t>(unit))) {
      characters.push_back(static_cast<char16_t>(unit));
    }
  }
  return characters;
}

// GB 2312's characters, as code page 936 reads their codes: with `symbols`,
// rows A1 to A9 (punctuation, Latin, Greek, Cyrillic, kana, box drawing, and
// the few that GBK adds there), then the 6,763 hanzi of rows B0 to F7, the
// 3,755 most common first. Codes left for private use are left out.
inline std::vector<char16_t> Gb2312Characters(bool symbols = true) {
  std::vector<char16_t> characters;
  for (unsigned lead = symbols ? 0xA1 : 0xB0; lead <= 0xF7; ++lead) {
    if (lead > 0xA9 && lead < 0xB0) continue;
    for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) {
      const auto code = static_cast<std::uint16_t>(lead << 8 | trail);
      const std::optional<char16_t> unit = GbkDecoder().Decode(code);
      if (unit && (*unit < 0xE000 || *unit > 0xF8FF)) characters.push_back(*unit);
    }
  }
  return characters;
}

}  // namespace gbkhex::harness
