#pragma once

#include <optional>
#include <string>

#include "convert/charset.h"
#include "convert/glyph_layout_words.h"
#include "emit/header_options.h"
#include "glyphs/glyph_run.h"

namespace gbkhex::glyphs {

// The glyph options as a front end was given them (absent where not given;
// a choice as chosen, or its default), for the one check and mapping that
// every front end applies. The fonts themselves are the front end's.
struct GlyphOptionValues {
  std::string name;  // --glyphs NAME
  std::optional<std::string> size;
  std::optional<std::string> baseline;
  std::optional<std::string> face;
  std::optional<std::string> em;
  std::optional<std::string> narrowEm;
  std::optional<std::string> narrowFace;
  std::optional<std::string> preview;
  std::optional<std::string> image;
  std::optional<std::string> type;
  std::optional<std::string> attribute;
  Scan scan = Scan::Rows;
  BitOrder bitOrder = BitOrder::MsbFirst;
  Depth depth = Depth::One;
  bool invert = false;
  bool clip = false;
  bool fit = false;
  bool narrowFont = false;  // --narrow-font given
  std::optional<Charset> whole;
};

// `value` as a whole number from `low` to `high`, or nothing.
std::optional<int> WholeNumber(const std::string& value, int low, int high);

// Throws OptionError for a name that cannot compile, a size, face, em or
// baseline that is no whole number in range, a --scan that cannot hold
// --bpp, a --preview of standard output or an empty --image; in the order
// that the messages come. Else the run's options, all but the fonts: the
// first font's face, and with `narrowFont` the narrow font's face, are set.
GlyphRunOptions GlyphRunOptionsOf(const GlyphOptionValues& values);

}  // namespace gbkhex::glyphs
