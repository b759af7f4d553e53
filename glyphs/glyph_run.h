#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "convert/charset.h"
#include "emit/glyph_header.h"
#include "emit/text_sink.h"
#include "glyphs/font_source.h"
#include "glyphs/layout.h"
#include "text/fault.h"
#include "text/text_check.h"

namespace gbkhex::glyphs {

// A font that the run opens: its file or bytes, or an installed family that
// the run looks up when it opens the font.
struct FontRequest {
  FontSource font;
  std::string family;
  std::optional<int> face;
};

// What a glyph run makes: the header of a text's glyphs, or with `whole` of a
// charset's every cell, with the raw image and the preview picture. Every
// value is already checked (its range, and that the values go together).
struct GlyphRunOptions {
  std::string name;                       // the arrays' name
  FontRequest font;                       // the first font
  std::vector<FontRequest> laterFonts;    // the fonts after the first, in order
  std::optional<FontRequest> narrowFont;  // the face for the narrow cells
  int pixelSize = 0;
  std::optional<int> em;
  std::optional<int> narrowEm;
  bool fit = false;
  int bitsPerPixel = 1;
  std::optional<int> baseline;
  bool clip = false;
  ByteLayout layout;
  std::string preview;           // the picture's name, or "" for none
  std::string image;             // the image's name, or "" for none
  std::optional<Charset> whole;  // the charset of a whole image
  DeclarationStyle style;
  // With a source, the name by which the source includes the header.
  std::string headerName;
};

// An image or a picture that cannot be made.
class GlyphFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where the image and the picture go, asked for only once the run writes
// them; each may throw GlyphFileError.
class GlyphFiles {
 public:
  virtual std::ostream& Image(const std::string& name) = 0;
  virtual std::ostream& Picture(const std::string& name) = 0;

 protected:
  ~GlyphFiles() = default;
};

// The image and the picture kept in memory, for a front end without files.
class GlyphStrings final : public GlyphFiles {
 public:
  std::ostream& Image(const std::string&) override { return image_.emplace(); }
  std::ostream& Picture(const std::string&) override { return picture_.emplace(); }
  std::optional<std::string> ImageBytes() const { return BytesOf(image_); }
  std::optional<std::string> PictureBytes() const { return BytesOf(picture_); }

 private:
  static std::optional<std::string> BytesOf(const std::optional<std::ostringstream>& stream) {
    return stream ? std::optional(stream->str()) : std::nullopt;
  }
  std::optional<std::ostringstream> image_;
  std::optional<std::ostringstream> picture_;
};

// Hands every character of the run's inputs to the taker, and their faults
// to the sink.
using GlyphInputs = std::function<void(CharacterTaker&, FaultSink&)>;

// A glyph run: opens the fonts (a family that is not installed, or a font
// that cannot be read, is a fault), draws a text's characters that `inputs`
// hands on (with `whole`, every code of the charset instead, and `inputs` is
// not called), and where no error was found writes the header to `out` (the
// arrays' definitions to `source`, if any), the image and the picture into
// `files`. A whole charset's header is written as its cells are drawn. With
// `fit`, the glyphs that set each em are told; glyphs moved, and with `clip`
// glyphs cut, are warnings at the end.
void RunGlyphs(const GlyphRunOptions& options, Charset charset, TextSink& out, TextSink* source,
               GlyphFiles& files, FaultSink& faults, const GlyphInputs& inputs);

}  // namespace gbkhex::glyphs
