#pragma once

// What each platform's font engine does for Font: the one part of the glyph
// library that differs between Linux (FreeType) and Windows (GDI).

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "glyphs/glyph.h"

namespace gbkhex::glyphs::detail {

class Rasterizer {
 public:
  virtual ~Rasterizer() = default;
  // Lights the pixels of `character` in `cell`, which is dark, its baseline
  // `ascender` rows below the cell's top and its pen at the left edge; false
  // when the font has no glyph for it. Throws FontError when drawing fails.
  virtual bool Draw(char16_t character, int ascender, Glyph& cell) = 0;
};

struct OpenedFont {
  std::unique_ptr<Rasterizer> rasterizer;
  std::string family;  // UTF-8
  int ascender = 0;    // in pixels at the size opened
};

// The font's name as messages give it.
std::string Quoted(const std::string& font);
[[noreturn]] void FailToDraw(const std::string& font, char16_t character,
                             const std::string& reason);

// Opens `font` (UTF-8, as Font::Open takes it) at `pixelSize`, which is in
// range; throws FontError.
OpenedFont OpenPlatformFont(const std::string& font, int pixelSize);

// The installed default font's name as OpenPlatformFont takes it, if any.
std::optional<std::string> FindPlatformDefaultFont();
std::string_view PlatformDefaultFontLocation() noexcept;

}  // namespace gbkhex::glyphs::detail
