#include "glyphs/font.h"

#include <cstdio>

#include "convert/code_page_936.h"
#include "glyphs/rasterizer.h"

namespace gbkhex::glyphs {

namespace detail {

std::string Quoted(const std::string& font) { return "'" + font + "'"; }

void FailToDraw(const std::string& font, char16_t character, const std::string& reason) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(character));
  throw FontError("cannot draw " + std::string(code) + " with font " + Quoted(font) + ": " +
                  reason);
}

}  // namespace detail

Cell CellFor(char16_t character) noexcept {
  // Two-byte codes are the negative ones.
  return CharacterCode(character) < 0 ? Cell::Wide : Cell::Narrow;
}

std::string_view DefaultFontLocation() noexcept { return detail::PlatformDefaultFontLocation(); }

std::optional<std::string> FindDefaultFont() { return detail::FindPlatformDefaultFont(); }

Font::Font(std::string name, int pixelSize) : name_(std::move(name)), pixelSize_(pixelSize) {}

Font::Font(Font&&) noexcept = default;
Font& Font::operator=(Font&&) noexcept = default;
Font::~Font() = default;

Font Font::Open(const std::string& font, int pixelSize) {
  if (pixelSize < kMinPixelSize || pixelSize > kMaxPixelSize) {
    throw FontError("font size " + std::to_string(pixelSize) + " px is out of range (" +
                    std::to_string(kMinPixelSize) + " to " + std::to_string(kMaxPixelSize) + ")");
  }
  detail::OpenedFont opened = detail::OpenPlatformFont(font, pixelSize);
  Font result(font, pixelSize);
  result.family_ = std::move(opened.family);
  result.ascender_ = opened.ascender;
  result.rasterizer_ = std::move(opened.rasterizer);
  return result;
}

std::optional<Glyph> Font::Draw(char16_t character, Cell cell) {
  Glyph glyph(CellWidth(cell), pixelSize_);
  if (!rasterizer_->Draw(character, ascender_, glyph)) return std::nullopt;
  return glyph;
}

}  // namespace gbkhex::glyphs
