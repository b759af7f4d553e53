#pragma once

// Agreed interface between the glyph library and each system's list of installed fonts.
// (To be placed at glyphs/font_source.h; adjust comments/wording freely, keep the shape.)

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gbkhex::glyphs {

// Where a font's bytes come from: a file, or the bytes that the system handed over.
struct FontSource {
  std::string file;                 // UTF-8 path, or "" when `bytes` hold the font
  std::vector<std::uint8_t> bytes;  // the whole font file (a collection's too) when not from a file
  int faceIndex = 0;                // the face within a collection, from 0
  std::string shownAs;              // how messages and the header's first comment name where it is
};

// An installed font by family name, with style words as the system reads them
// ("Noto Sans CJK SC", "WenQuanYi Zen Hei Mono", "Noto Sans CJK SC:style=Bold"). Throws FontError
// when no installed family has that name (never a silent substitute); the message names the
// nearest installed families (NearestFamilies).
FontSource FindInstalledFont(std::string_view request);

// The families installed on this system, for the suggestions above.
std::vector<std::string> InstalledFamilies();

// Up to `count` of `families` nearest to `wanted` (case-insensitive edit distance), nearest first.
std::vector<std::string> NearestFamilies(std::string_view wanted,
                                         const std::vector<std::string>& families,
                                         std::size_t count = 3);

}  // namespace gbkhex::glyphs
