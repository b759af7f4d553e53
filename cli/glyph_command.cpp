#include "cli/glyph_command.h"

#include <charconv>
#include <optional>
#include <vector>

#include "cli/glyph_collector.h"
#include "cli/glyph_header.h"
#include "cli/output_file.h"
#include "emit/c_names.h"
#include "glyphs/font.h"
#include "glyphs/preview.h"

namespace gbkhex::cli {
namespace {

int ParsePixelSize(const std::string& value) {
  int size = 0;
  const char* end = value.data() + value.size();
  const auto [stop, error] = std::from_chars(value.data(), end, size);
  if (value.empty() || error != std::errc() || stop != end || size < glyphs::kMinPixelSize ||
      size > glyphs::kMaxPixelSize) {
    throw UsageError("--size '" + value + "' is no pixel size from " +
                     std::to_string(glyphs::kMinPixelSize) + " to " +
                     std::to_string(glyphs::kMaxPixelSize));
  }
  return size;
}

// The font as the header names it: a file by its name alone, so that the
// header does not change with the folder that a build keeps the font in.
std::string NameInHeader(const std::string& font) { return font.substr(FolderPrefix(font).size()); }

void ReportOutput(FaultReport& faults, const std::string& input, const std::string& what) {
  faults.Add(Fault{.kind = FaultKind::Output, .input = input, .what = what});
}

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
  if (const std::optional<std::string>& type = parsed.Value(Option::Type)) {
    if (const std::string problem = GlyphTypeProblem(*type); !problem.empty()) {
      throw UsageError("--type '" + *type + "' " + problem);
    }
    options.style.type = *type;
  }
  options.style.attribute = parsed.Value(Option::Attribute).value_or("");
  if (const std::optional<std::string>& font = parsed.Value(Option::Font)) {
    options.font = *font;
  } else if (std::optional<std::string> found = glyphs::FindDefaultFont()) {
    options.font = std::move(*found);
  } else {
    std::string what = "--font is required: the default font, GNU Unifont, is not installed; ";
    throw UsageError(what.append("looked in ").append(glyphs::DefaultFontLocation()));
  }
  return options;
}

void WriteGlyphs(const GlyphOptions& options, Charset charset, OutputSink& out, FaultReport& faults,
                 const std::function<void(CharacterTaker&)>& takeInputs) {
  std::optional<glyphs::Font> font;
  try {
    font.emplace(glyphs::Font::Open(options.font, options.pixelSize));
  } catch (const glyphs::FontError& error) {
    faults.Add(Fault{.kind = FaultKind::Open, .what = error.what()});
    return;
  }
  GlyphCollector collector(*font, charset);
  takeInputs(collector);
  if (faults.Errors() != 0) return;
  const GlyphCollector::Tables tables = collector.Sorted();

  // The picture is made before the header is written and put in place after
  // it, so that a failure anywhere leaves the old one as it was.
  std::optional<OutputFile> preview;
  if (!options.preview.empty()) {
    std::vector<glyphs::Glyph> glyphs;
    glyphs.reserve(tables.wide.size() + tables.narrow.size());
    for (const auto table : {tables.wide, tables.narrow}) {
      for (const GlyphEntry& entry : table) glyphs.push_back(entry.glyph);
    }
    try {
      const std::vector<std::uint8_t> png = glyphs::PreviewPng(glyphs);
      preview.emplace(options.preview);
      preview->Stream().write(reinterpret_cast<const char*>(png.data()),
                              static_cast<std::streamsize>(png.size()));
    } catch (const glyphs::PreviewError& error) {
      ReportOutput(faults, options.preview, error.what());
      return;
    } catch (const OutputFileError& error) {
      ReportOutput(faults, "", error.what());
      return;
    }
  }

  const GlyphHeaderSettings settings{
      .name = options.name,
      .style = options.style,
      .layout = options.layout,
      .fontName = NameInHeader(font->Name()),
      .family = font->Family(),
      .pixelSize = font->PixelSize(),
      .wideWidth = font->CellWidth(glyphs::Cell::Wide),
      .narrowWidth = font->CellWidth(glyphs::Cell::Narrow),
  };
  WriteGlyphHeader(settings, tables.wide, tables.narrow, out);
  out.Flush();
  if (preview) {
    try {
      preview->Commit();
    } catch (const OutputFileError& error) {
      ReportOutput(faults, "", error.what());
    }
  }
}

}  // namespace gbkhex::cli
