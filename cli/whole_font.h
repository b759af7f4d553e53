#pragma once

#include "cli/fault_report.h"
#include "cli/glyph_command.h"
#include "cli/output_sink.h"
#include "emit/glyph_header.h"
#include "glyphs/font.h"
#include "glyphs/glyph.h"

namespace gbkhex::cli {

// The run of --whole: every cell of the charset's image drawn in code order
// and written as it is drawn, into --image's file or the header's NAME_image,
// and into the picture of --preview, with the header in `out` (FontImageHeader;
// NAME_image's definition in `source`, if any).
// An empty cell is counted, a warning a reason at the end; a glyph that its cell
// cuts is an error unless --clip. The image and the picture are put in place
// only when no error was found, as `out` is.
void WriteWholeFont(const GlyphOptions& options, glyphs::Font& font,
                    const GlyphHeaderSettings& settings, OutputSink& out, OutputSink* source,
                    FaultReport& faults);

}  // namespace gbkhex::cli
