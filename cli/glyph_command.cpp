#include "cli/glyph_command.h"

#include <charconv>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "cli/glyph_collector.h"
#include "cli/output_file.h"
#include "emit/c_names.h"
#include "emit/glyph_header.h"
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

// What the header's first comment says each scan does.
std::string_view ScanOrder(glyphs::Scan scan) noexcept {
  switch (scan) {
    case glyphs::Scan::Rows:
      return "each row from the top, in it bytes of 8 pixels from the left";
    case glyphs::Scan::Columns:
      return "each column from the left, in it bytes of 8 pixels from the top";
    case glyphs::Scan::Pages:
      return "each band of 8 rows from the top, in it a byte a column from the left";
    case glyphs::Scan::Tiles:
      return "each band of 8 columns from the left, in it a byte a row from the top";
  }
  return "";
}

GlyphLayoutText LayoutText(const glyphs::ByteLayout& layout) {
  return GlyphLayoutText{
      .scan = WordOf(glyphs::kScanWords, layout.scan),
      .scanOrder = ScanOrder(layout.scan),
      .bitOrder = WordOf(glyphs::kBitOrderWords, layout.bitOrder),
      .bitOrderMeans = layout.bitOrder == glyphs::BitOrder::MsbFirst
                           ? "the first pixel of a byte in its high bit"
                           : "the first pixel of a byte in its low bit",
      .invert = layout.invert,
  };
}

// A table of the header, each glyph drawn as text and laid out when the
// writer comes to it, into buffers that the next one reuses.
class LaidOutTable {
 public:
  LaidOutTable(std::span<const GlyphEntry> entries, int width, int height,
               const glyphs::ByteLayout& layout)
      : entries_(entries),
        width_(width),
        bytesPerGlyph_(glyphs::LaidOutSize(width, height, layout.scan)),
        layout_(layout) {
    codes_.reserve(entries.size());
    for (const GlyphEntry& entry : entries) codes_.push_back(entry.code);
  }
  LaidOutTable(const LaidOutTable&) = delete;
  LaidOutTable& operator=(const LaidOutTable&) = delete;

  HeaderGlyphTable Table() {
    return {.codes = codes_,
            .width = width_,
            .bytesPerGlyph = bytesPerGlyph_,
            .glyph = [this](std::size_t index) { return Glyph(index); }};
  }

 private:
  HeaderGlyph Glyph(std::size_t index) {
    const GlyphEntry& entry = entries_[index];
    drawn_ = glyphs::DrawAsText(entry.glyph);
    bytes_.clear();
    glyphs::AppendLaidOut(entry.glyph, layout_, bytes_);
    return {.character = entry.character, .drawn = drawn_, .bytes = bytes_};
  }

  std::span<const GlyphEntry> entries_;
  int width_;
  std::size_t bytesPerGlyph_;
  glyphs::ByteLayout layout_;
  std::vector<std::uint16_t> codes_;
  std::string drawn_;
  std::vector<std::uint8_t> bytes_;
};

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
    options.font.file = *font;
    options.font.shownAs = *font;
  } else if (std::optional<glyphs::FontSource> found = glyphs::FindDefaultFont()) {
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
    font.emplace(glyphs::Font::Open(options.font, {.pixelSize = options.pixelSize}));
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
      .layout = LayoutText(options.layout),
      .fontName = NameInHeader(font->Name()),
      .family = font->Family(),
      .pixelSize = font->PixelSize(),
  };
  LaidOutTable wide(tables.wide, font->CellWidth(glyphs::Cell::Wide), font->PixelSize(),
                    options.layout);
  LaidOutTable narrow(tables.narrow, font->CellWidth(glyphs::Cell::Narrow), font->PixelSize(),
                      options.layout);
  WriteGlyphHeader(settings, wide.Table(), narrow.Table(), out);
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
