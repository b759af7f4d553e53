#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "glyphs/font.h"

namespace gbkhex::glyphs {

// The faces that draw one kind of cell, in order: a character is drawn by
// the first face that has a glyph for it, so that a later face fills in what
// the earlier ones lack. All are at one cell size and em.
class FontChain {
 public:
  // `fonts` must hold at least one.
  explicit FontChain(std::vector<Font> fonts);

  // A chain drawing from these same faces, opened once, with nothing kept.
  FontChain SharingFaces() const { return FontChain(fonts_); }

  struct Drawn {
    DrawnGlyph drawn;
    std::size_t face = 0;  // which of Fonts() drew it
  };
  // Nothing where no face has a glyph for `character`. Throws FontError
  // where a face cannot draw a glyph that it has.
  std::optional<Drawn> Draw(char16_t character, Cell cell);

  // Keeps `drawn`, the drawing of `character` by this chain, for its next
  // Draw, which hands it over: what a fit drew at the em it chose is then not
  // drawn again.
  void Keep(char16_t character, Drawn drawn);

  // The outline box of the glyph of the first face that has one (Font::OutlineShare).
  std::optional<EmShare> OutlineShare(char16_t character);

  std::span<const Font> Fonts() const noexcept { return *fonts_; }
  const Font& First() const noexcept { return fonts_->front(); }

 private:
  explicit FontChain(std::shared_ptr<std::vector<Font>> fonts) : fonts_(std::move(fonts)) {}

  std::shared_ptr<std::vector<Font>> fonts_;
  std::unordered_map<char16_t, Drawn> kept_;
};

// The faces of a run: one chain for the wide cells and one for the narrow,
// each at its own em.
struct CellFonts {
  FontChain wide;
  FontChain narrow;

  FontChain& For(Cell cell) noexcept { return cell == Cell::Wide ? wide : narrow; }
  std::optional<FontChain::Drawn> Draw(char16_t character, Cell cell) {
    return For(cell).Draw(character, cell);
  }
};

}  // namespace gbkhex::glyphs
