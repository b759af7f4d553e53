#pragma once

#include <ostream>
#include <string>

#include "cli/options.h"
#include "glyphs/glyph_run.h"
#include "platform/output_file.h"

namespace gbkhex::cli {

// Throws UsageError for a name that cannot compile, a size, face, em or
// baseline that is no whole number in range, a --scan that cannot hold --bpp, and no
// --font where the default font is not installed.
glyphs::GlyphRunOptions ParseGlyphOptions(const ParsedArguments& parsed);

// The image and the picture of a glyph run as files that the run's other
// outputs are committed with.
class GlyphOutputFiles final : public glyphs::GlyphFiles {
 public:
  explicit GlyphOutputFiles(platform::PictureAndImage& files) : files_(files) {}
  std::ostream& Image(const std::string& name) override;
  std::ostream& Picture(const std::string& name) override;

 private:
  platform::PictureAndImage& files_;
};

}  // namespace gbkhex::cli
