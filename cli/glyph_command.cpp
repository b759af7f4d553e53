#include "cli/glyph_command.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <limits>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "cli/output_file.h"
#include "emit/c_names.h"
#include "emit/glyph_header.h"
#include "glyphs/font.h"
#include "glyphs/glyph_output.h"
#include "glyphs/glyph_set.h"
#include "glyphs/preview.h"

namespace gbkhex::cli {
namespace {

constexpr std::string_view kFontExtensions[] = {".ttf", ".otf", ".ttc",   ".otc",
                                                ".bdf", ".pcf", ".pcf.gz"};

std::string Lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return text;
}

// `value` as a whole number from `low` to `high`, or nothing.
std::optional<int> WholeNumber(const std::string& value, int low, int high) {
  int number = 0;
  const char* end = value.data() + value.size();
  const auto [stop, error] = std::from_chars(value.data(), end, number);
  if (value.empty() || error != std::errc() || stop != end || number < low || number > high) {
    return std::nullopt;
  }
  return number;
}

int ParsePixelSize(const std::string& value) {
  const std::optional<int> size = WholeNumber(value, glyphs::kMinPixelSize, glyphs::kMaxPixelSize);
  if (!size) {
    throw UsageError("--size '" + value + "' is no pixel size from " +
                     std::to_string(glyphs::kMinPixelSize) + " to " +
                     std::to_string(glyphs::kMaxPixelSize));
  }
  return *size;
}

bool EndsInFontExtension(const std::string& font) {
  const std::string lowered = Lowered(font);
  return std::ranges::any_of(kFontExtensions, [&lowered](std::string_view extension) {
    return lowered.ends_with(extension);
  });
}

// Whether --font names a file rather than an installed family: a family name
// holds no folder and no font file's extension, and a file of that name in
// the working folder would be the font asked for.
bool NamesAFile(const std::string& font) {
#ifdef _WIN32
  if (font.find('\\') != std::string::npos) return true;
#endif
  if (font.find('/') != std::string::npos || EndsInFontExtension(font)) return true;
  std::error_code error;
  return std::filesystem::exists(std::filesystem::path(std::u8string(font.begin(), font.end())),
                                 error);
}

glyphs::FontSource OpenedSource(const GlyphOptions& options) {
  glyphs::FontSource source =
      options.family.empty() ? options.font : glyphs::FindInstalledFont(options.family);
  if (options.face) source.faceIndex = *options.face;
  return source;
}

// A picture or an image that could not be written.
Fault OutputFault(const std::string& input, const std::string& what) {
  return Fault{.kind = FaultKind::Output, .input = input, .what = what};
}

// The font as the header names it: a file by its name alone, so that the
// header does not change with the folder that a build keeps the font in.
std::string NameInHeader(const std::string& font) { return font.substr(FolderPrefix(font).size()); }

}  // namespace

GlyphOptions ParseGlyphOptions(const ParsedArguments& parsed) {
  GlyphOptions options;
  options.name = parsed.Value(Option::Glyphs).value_or("");
  if (const std::string problem = ArrayNameProblem(options.name); !problem.empty()) {
    throw UsageError("glyph table name '" + options.name + "' " + problem);
  }
  const std::optional<std::string>& size = parsed.Value(Option::Size);
  options.pixelSize = size ? ParsePixelSize(*size) : glyphs::kDefaultPixelSize;
  options.layout.scan = parsed.Choice<glyphs::Scan>(Option::Scan);
  options.layout.bitOrder = parsed.Choice<glyphs::BitOrder>(Option::BitOrder);
  options.layout.invert = parsed.Has(Option::Invert);
  options.preview = parsed.Value(Option::Preview).value_or("");
  if (options.preview == "-") {
    throw UsageError(
        "--preview - cannot be: a PNG picture is no text for a terminal or a pipe; "
        "name a file");
  }
  options.image = parsed.Value(Option::Image).value_or("");
  if (parsed.Has(Option::Image) && options.image.empty()) {
    throw UsageError("--image needs a file name");
  }
  if (parsed.Has(Option::Whole)) options.whole = parsed.Choice<Charset>(Option::Whole);
  if (const std::optional<std::string>& type = parsed.Value(Option::Type)) {
    if (const std::string problem = GlyphTypeProblem(*type); !problem.empty()) {
      throw UsageError("--type '" + *type + "' " + problem);
    }
    options.style.type = *type;
  }
  options.style.attribute = parsed.Value(Option::Attribute).value_or("");
  options.bitsPerPixel = static_cast<int>(parsed.Choice<glyphs::Depth>(Option::BitsPerPixel));
  if (const std::string problem = glyphs::LayoutProblem(options.layout.scan, options.bitsPerPixel);
      !problem.empty()) {
    throw UsageError("--scan " + std::string(WordOf(glyphs::kScanWords, options.layout.scan)) +
                     " cannot go with --bpp " + std::to_string(options.bitsPerPixel) + ": " +
                     problem);
  }
  if (const std::optional<std::string>& baseline = parsed.Value(Option::Baseline)) {
    options.baseline = WholeNumber(*baseline, 0, options.pixelSize);
    if (!options.baseline) {
      throw UsageError("--baseline '" + *baseline + "' is no number of rows from 0 to " +
                       std::to_string(options.pixelSize) + " (--size)");
    }
  }
  options.clip = parsed.Has(Option::Clip);
  if (const std::optional<std::string>& face = parsed.Value(Option::Face)) {
    options.face = WholeNumber(*face, 0, std::numeric_limits<int>::max());
    if (!options.face) throw UsageError("--face '" + *face + "' is no face number from 0");
  }
  if (const std::optional<std::string>& font = parsed.Value(Option::Font)) {
    if (NamesAFile(*font)) {
      options.font.file = *font;
      options.font.shownAs = *font;
    } else {
      options.family = *font;
    }
  } else if (std::optional<glyphs::FontSource> found = glyphs::FindDefaultFont()) {
    options.font = std::move(*found);
  } else {
    std::string what = "--font is required: the default font, GNU Unifont, is not installed; ";
    throw UsageError(what.append("looked in ").append(glyphs::DefaultFontLocation()));
  }
  return options;
}

namespace {

GlyphHeaderSettings HeaderSettings(const GlyphOptions& options, const glyphs::Font& font) {
  return GlyphHeaderSettings{
      .name = options.name,
      .style = options.style,
      .layout = glyphs::LayoutText(options.layout, font.BitsPerPixel()),
      .fontName = NameInHeader(font.Name()),
      .family = font.Family(),
      .fontStyle = font.Style(),
      .face = font.FaceIndex() > 0 || glyphs::IsCollection(font.Name())
                  ? std::optional<int>(font.FaceIndex())
                  : std::nullopt,
      .pixelSize = font.PixelSize(),
      .baseline = font.Baseline(),
      .baselineRule = std::string(glyphs::RuleText(font.RuleOfBaseline())),
      .headerName = options.headerName,
      .bitmapsInImage = !options.image.empty(),
  };
}

}  // namespace

void WriteGlyphs(const GlyphOptions& options, Charset charset, OutputSink& out, OutputSink* source,
                 PictureAndImage& files, FaultReport& faults,
                 const std::function<void(CharacterTaker&)>& takeInputs) {
  std::optional<glyphs::Font> font;
  try {
    font.emplace(glyphs::Font::Open(OpenedSource(options), {.pixelSize = options.pixelSize,
                                                            .bitsPerPixel = options.bitsPerPixel,
                                                            .baseline = options.baseline}));
  } catch (const glyphs::FontError& error) {
    faults.Add(Fault{.kind = FaultKind::Open, .what = error.what()});
    return;
  }
  const GlyphHeaderSettings settings = HeaderSettings(options, *font);
  glyphs::CellJudge judge(*font, options.clip);
  if (options.whole) return WriteWholeFont(options, judge, settings, out, source, files, faults);

  glyphs::TextGlyphs set(judge, charset);
  takeInputs(set);
  if (faults.Errors() != 0) return;
  const glyphs::TextGlyphs::Tables tables = set.Sorted();

  // The picture and the image are made before the header is written; the run
  // puts them in place with it.
  try {
    if (!options.preview.empty()) {
      files.picture.emplace(options.preview);
      glyphs::WriteTextGlyphsPreview(tables, !options.image.empty(), files.picture->Stream());
    }
    if (!options.image.empty()) {
      files.image.emplace(options.image);
      glyphs::WriteTextGlyphsImage(tables, options.layout, files.image->Stream());
    }
  } catch (const glyphs::PreviewError& error) {
    faults.Add(OutputFault(options.preview, error.what()));
    return;
  } catch (const OutputFileError& error) {
    faults.Add(OutputFault("", error.what()));
    return;
  }

  glyphs::WriteTextGlyphsHeader(settings, tables, *font, options.layout, out, source);
  out.Flush();
  if (source != nullptr) source->Flush();
  if (const glyphs::CutGlyphs cut = judge.Clipped(); cut.glyphs != 0) {
    faults.Add(glyphs::ClipWarning(cut));
  }
}

void WriteWholeFont(const GlyphOptions& options, glyphs::CellJudge& judge,
                    const GlyphHeaderSettings& settings, OutputSink& out, OutputSink* source,
                    PictureAndImage& files, FaultReport& faults) {
  const glyphs::Font& font = judge.font();
  const FontImageGeometry geometry =
      glyphs::WholeImageGeometry(*options.whole, font, options.layout);
  FontImageHeader header(settings, geometry, options.image.empty(), out, source);
  std::optional<glyphs::WholeFontWriter> writer;
  try {
    if (!options.image.empty()) files.image.emplace(options.image);
    if (!options.preview.empty()) files.picture.emplace(options.preview);
    writer.emplace(header, geometry, font.PixelSize(),
                   files.image ? &files.image->Stream() : nullptr,
                   files.picture ? &files.picture->Stream() : nullptr);
  } catch (const OutputFileError& error) {
    faults.Add(OutputFault("", error.what()));
    return;
  } catch (const glyphs::PreviewError& error) {
    faults.Add(OutputFault(options.preview, error.what()));
    return;
  }

  header.Begin();
  glyphs::CharsetCells cells(judge, *options.whole, options.layout);
  try {
    cells.Draw(*writer, faults);
  } catch (const glyphs::PreviewError& error) {
    faults.Add(OutputFault(options.preview, error.what()));
    return;
  }
  header.End();
  out.Flush();
  if (source != nullptr) source->Flush();
  cells.Report(faults);
}

}  // namespace gbkhex::cli
