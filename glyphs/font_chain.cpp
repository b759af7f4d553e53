#include "glyphs/font_chain.h"

#include <stdexcept>
#include <utility>

namespace gbkhex::glyphs {

FontChain::FontChain(std::vector<Font> fonts)
    : fonts_(std::make_shared<std::vector<Font>>(std::move(fonts))) {
  if (fonts_->empty()) throw std::invalid_argument("a chain of fonts needs one font at least");
}

std::optional<FontChain::Drawn> FontChain::Draw(char16_t character, Cell cell) {
  if (const auto kept = kept_.find(character); kept != kept_.end()) {
    Drawn drawn = std::move(kept->second);
    kept_.erase(kept);
    return drawn;
  }
  for (std::size_t face = 0; face < fonts_->size(); ++face) {
    if (std::optional<DrawnGlyph> drawn = (*fonts_)[face].Draw(character, cell)) {
      return Drawn{.drawn = std::move(*drawn), .face = face};
    }
  }
  return std::nullopt;
}

void FontChain::Keep(char16_t character, Drawn drawn) {
  kept_.insert_or_assign(character, std::move(drawn));
}

std::optional<EmShare> FontChain::OutlineShare(char16_t character) {
  for (Font& font : *fonts_) {
    if (std::optional<EmShare> share = font.OutlineShare(character)) return share;
  }
  return std::nullopt;
}

}  // namespace gbkhex::glyphs
