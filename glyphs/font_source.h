#pragma once

// Where a font comes from, and the one part of the glyph library that differs
// between systems: the list of installed fonts (fontconfig on Linux, GDI on
// Windows), which finds a font by family name and hands over its file or its
// bytes. Drawing is the same everywhere (font.h).

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace gbkhex::glyphs {

// A font that cannot be found, opened or drawn with; what() says why, in words
// for the user (UTF-8), naming the font as it was given.
class FontError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where a font's bytes come from: a file, or the bytes that the system handed
// over.
struct FontSource {
  std::string file;                 // UTF-8 path, or "" when `bytes` hold the font
  std::vector<std::uint8_t> bytes;  // the whole font file (a collection's too) when not from a file
  int faceIndex = 0;                // the face within a collection, from 0
  std::string shownAs;              // how messages and the header's first comment name where it is
};

// An installed font by family name, with style words as the system reads them
// ("Noto Sans CJK SC", "WenQuanYi Zen Hei Mono", "Noto Sans CJK SC:style=Bold").
// Throws FontError when no installed family has that name (never a silent
// substitute), the message naming the nearest installed families
// (NearestFamilies), or when the family has no such style.
FontSource FindInstalledFont(std::string_view request);

// The families installed on this system, for the suggestions above.
std::vector<std::string> InstalledFamilies();

// Up to `count` of `families` nearest to `wanted` (case-insensitive edit
// distance), nearest first, ties in the order given.
std::vector<std::string> NearestFamilies(std::string_view wanted,
                                         const std::vector<std::string>& families,
                                         std::size_t count = 3);

// The message for a family that is not installed: "no installed font family is
// named 'X' (the nearest: 'A', 'B', 'C')".
std::string NotInstalledMessage(std::string_view family, const std::vector<std::string>& nearest);

}  // namespace gbkhex::glyphs
