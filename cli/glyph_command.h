#pragma once

#include <functional>
#include <string>

#include "cli/fault_report.h"
#include "cli/options.h"
#include "cli/output_sink.h"
#include "convert/charset.h"
#include "emit/header_writer.h"
#include "glyphs/font_source.h"
#include "glyphs/layout.h"
#include "text/text_check.h"

namespace gbkhex::cli {

// What --glyphs and the options that go with it ask for.
struct GlyphOptions {
  std::string name;
  glyphs::FontSource font;  // --font, or the default font
  int pixelSize = 0;
  glyphs::ByteLayout layout;
  std::string preview;  // the picture's file, or "" for none
  DeclarationStyle style;
};

// Throws UsageError for a name that cannot compile, a size that is no whole
// number in range, and no --font where the default font is not installed.
GlyphOptions ParseGlyphOptions(const ParsedArguments& parsed);

// The run of --glyphs: opens the font, has `takeInputs` pass every input's
// characters to the taker that it is given, and when no fault was found,
// writes the header to `out` and the preview picture. Faults go to `faults`.
void WriteGlyphs(const GlyphOptions& options, Charset charset, OutputSink& out, FaultReport& faults,
                 const std::function<void(CharacterTaker&)>& takeInputs);

}  // namespace gbkhex::cli
