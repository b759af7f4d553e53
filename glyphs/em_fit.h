#pragma once

#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "glyphs/font_chain.h"

namespace gbkhex::glyphs {

// The faces of one kind of cell opened at an em of so many pixels. Throws
// FontError where they cannot be (a bitmap font without that size).
using OpenAtEm = std::function<FontChain(int em)>;

struct EmFit {
  int em = 0;
  // The characters found larger than their cells at the ems above `em` that
  // were tried: those that set it.
  std::vector<char16_t> setters;
  FontChain fonts;  // at `em`
};

// The largest em from `largest` down at which no glyph of `characters` (those
// that the faces draw, box drawing aside) has ink larger than its `cell`.
// Ems that `open` refuses are passed over; where none fits, the smallest that
// opens. Each em is tried on the glyphs that failed before first, then on the
// rest, largest outline first, so that an em too large costs few drawings and
// only the one chosen draws them all. Throws FontError where no em opens (the
// last reason) or a glyph cannot be drawn.
EmFit FitEm(const OpenAtEm& open, int largest, std::span<const char16_t> characters, Cell cell);

}  // namespace gbkhex::glyphs

namespace gbkhex::glyphs {

// The faces that a run draws with, and at which ems.
struct FacePlan {
  std::vector<FontSource> fonts;         // in order: a later one fills what earlier ones lack
  std::optional<FontSource> narrowFont;  // drawn first in the narrow cells
  FontOptions options;                   // its em is left out: `em`, `narrowEm`, `fit` say
  std::optional<int> em;                 // of the wide cells, else the size or a fit
  std::optional<int> narrowEm;           // of the narrow cells, alike
  bool fit = false;                      // FitEm where no em is given
};

struct OpenedFonts {
  CellFonts fonts;
  // The characters that set each fitted em (EmFit::setters).
  std::vector<char16_t> wideSetters;
  std::vector<char16_t> narrowSetters;
};

// Opens the faces of `plan`, fitting the ems that it leaves to the fit over
// `wide` and `narrow`, the run's characters of each cell. Throws FontError.
OpenedFonts OpenFonts(const FacePlan& plan, std::span<const char16_t> wide,
                      std::span<const char16_t> narrow);

}  // namespace gbkhex::glyphs
