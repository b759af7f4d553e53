#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/fault_report.h"
#include "cli/options.h"
#include "cli/output_file.h"
#include "cli/output_sink.h"
#include "convert/charset.h"
#include "emit/glyph_header.h"
#include "emit/header_writer.h"
#include "glyphs/font_source.h"
#include "glyphs/glyph_set.h"
#include "glyphs/layout.h"
#include "text/text_check.h"

namespace gbkhex::cli {

// A font that --font or --narrow-font names: a file, or an installed family
// that the run looks up when it opens the font.
struct FontRequest {
  glyphs::FontSource font;
  std::string family;
  std::optional<int> face;
};

// What --glyphs and the options that go with it ask for.
struct GlyphOptions {
  std::string name;
  glyphs::FontSource font;  // --font's file, or the default font
  std::string family;       // --font's installed family, looked up when the run opens it
  std::optional<int> face;  // --face
  std::vector<FontRequest> laterFonts;    // the --font after the first, in order
  std::optional<FontRequest> narrowFont;  // --narrow-font, --narrow-face
  int pixelSize = 0;
  std::optional<int> em;        // --em
  std::optional<int> narrowEm;  // --narrow-em
  bool fit = false;
  int bitsPerPixel = 1;
  std::optional<int> baseline;
  bool clip = false;
  glyphs::ByteLayout layout;
  std::string preview;           // the picture's file, or "" for none
  std::string image;             // the glyphs' own file (--image), or "" for none
  std::optional<Charset> whole;  // the charset of --whole's image
  DeclarationStyle style;
  // With --source, the name by which the source includes the header.
  std::string headerName;
};

// Throws UsageError for a name that cannot compile, a size, face, em or
// baseline that is no whole number in range, a --scan that cannot hold --bpp, and no
// --font where the default font is not installed.
GlyphOptions ParseGlyphOptions(const ParsedArguments& parsed);

// The run of --glyphs: opens the font, has `takeInputs` pass every input's
// characters to the taker that it is given (with --whole, every code of the
// charset is drawn instead, and `takeInputs` is not called), and when no
// fault was found, writes the header to `out` (the arrays' definitions to
// `source`, if any), the image and the preview picture into `files`. Faults
// go to `faults`: a family that is not installed, or a font that cannot be
// opened, as one that cannot be read; with --fit, the glyphs that set each
// em; the glyphs moved, and with --clip the glyphs cut, as warnings at the end.
void WriteGlyphs(const GlyphOptions& options, Charset charset, OutputSink& out, OutputSink* source,
                 PictureAndImage& files, FaultReport& faults,
                 const std::function<void(CharacterTaker&)>& takeInputs);

// The run of --whole: every cell of the charset's image drawn in code order
// and written as it is drawn, into --image's file or the header's NAME_image,
// and into the picture of --preview, with the header in `out` (FontImageHeader;
// NAME_image's definition in `source`, if any). An empty cell is counted, a
// warning a reason at the end; a glyph that its cell cuts is an error unless
// --clip.
void WriteWholeFont(const GlyphOptions& options, glyphs::CellJudge& judge,
                    const GlyphHeaderSettings& settings, OutputSink& out, OutputSink* source,
                    PictureAndImage& files, FaultReport& faults);

}  // namespace gbkhex::cli
