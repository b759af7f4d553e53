#include "cli/glyph_command.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <limits>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "cli/glyph_collector.h"
#include "cli/output_file.h"
#include "cli/whole_font.h"
#include "emit/c_names.h"
#include "emit/glyph_header.h"
#include "glyphs/font.h"
#include "glyphs/preview.h"

namespace gbkhex::cli {
namespace {

constexpr std::string_view kFontExtensions[] = {".ttf", ".otf", ".ttc",   ".otc",
                                                ".bdf", ".pcf", ".pcf.gz"};
constexpr std::string_view kCollectionExtensions[] = {".ttc", ".otc"};

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

// What the header's first comment says each scan does.
std::string ScanOrder(glyphs::Scan scan, int bitsPerPixel) {
  const std::string perByte = std::to_string(8 / bitsPerPixel);
  switch (scan) {
    case glyphs::Scan::Rows:
      return "each row from the top, in it bytes of " + perByte + " pixels from the left";
    case glyphs::Scan::Columns:
      return "each column from the left, in it bytes of " + perByte + " pixels from the top";
    case glyphs::Scan::Pages:
      return "each band of 8 rows from the top, in it a byte a column from the left";
    case glyphs::Scan::Tiles:
      return "each band of 8 columns from the left, in it a byte a row from the top";
  }
  return "";
}

GlyphLayoutText LayoutText(const glyphs::ByteLayout& layout, int bitsPerPixel) {
  const bool high = layout.bitOrder == glyphs::BitOrder::MsbFirst;
  const std::string bits = bitsPerPixel == 1 ? " bit" : " bits";
  return GlyphLayoutText{
      .scan = WordOf(glyphs::kScanWords, layout.scan),
      .scanOrder = ScanOrder(layout.scan, bitsPerPixel),
      .bitOrder = WordOf(glyphs::kBitOrderWords, layout.bitOrder),
      .bitOrderMeans =
          std::string("the first pixel of a byte in its ") + (high ? "high" : "low") + bits,
      .invert = layout.invert,
      .bitsPerPixel = bitsPerPixel,
  };
}

// How the header names the rule that placed the baseline.
std::string_view RuleText(glyphs::BaselineRule rule) noexcept {
  switch (rule) {
    case glyphs::BaselineRule::Given:
      return "as --baseline gives it";
    case glyphs::BaselineRule::IdeographicEmBox:
      return "from the font's ideographic em box";
    case glyphs::BaselineRule::Ideographs:
      return "from the extent of the font's ideographs";
    case glyphs::BaselineRule::AscenderDescender:
      return "from the font's ascender and descender";
    case glyphs::BaselineRule::BitmapFont:
      return "at the bitmap font's ascent";
  }
  return "";
}

// Whether the header names the face: in a collection's file, where the face
// read is one of several, even when it is the first.
bool IsCollection(const std::string& font) {
  return std::ranges::any_of(kCollectionExtensions, [&font](std::string_view extension) {
    return Lowered(font).ends_with(extension);
  });
}

// A table of the header, each glyph drawn as text and laid out when the
// writer comes to it, into buffers that the next one reuses.
class LaidOutTable {
 public:
  LaidOutTable(std::span<const GlyphEntry> entries, int width, int height, int bitsPerPixel,
               const glyphs::ByteLayout& layout)
      : entries_(entries),
        width_(width),
        bytesPerGlyph_(glyphs::LaidOutSize(width, height, layout.scan, bitsPerPixel)),
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
      .layout = LayoutText(options.layout, font.BitsPerPixel()),
      .fontName = NameInHeader(font.Name()),
      .family = font.Family(),
      .fontStyle = font.Style(),
      .face = font.FaceIndex() > 0 || IsCollection(font.Name())
                  ? std::optional<int>(font.FaceIndex())
                  : std::nullopt,
      .pixelSize = font.PixelSize(),
      .baseline = font.Baseline(),
      .baselineRule = std::string(RuleText(font.RuleOfBaseline())),
      .headerName = options.headerName,
      .bitmapsInImage = !options.image.empty(),
  };
}

// The picture of --preview: with an image, every cell at 1:1, a band for each
// lead byte and one for the narrow glyphs; else the glyphs enlarged in table order.
void WritePreview(const GlyphCollector::Tables& tables, bool image, std::ostream& out) {
  if (!image) {
    std::vector<glyphs::Glyph> glyphs;
    glyphs.reserve(tables.wide.size() + tables.narrow.size());
    for (const auto table : {tables.wide, tables.narrow}) {
      for (const GlyphEntry& entry : table) glyphs.push_back(entry.glyph);
    }
    const std::vector<std::uint8_t> png = glyphs::PreviewPng(glyphs);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return;
  }
  // Bands of entries that share a lead byte, the narrow ones as one.
  std::vector<std::span<const GlyphEntry>> bands;
  for (std::size_t at = 0; at < tables.wide.size();) {
    std::size_t end = at;
    while (end < tables.wide.size() && tables.wide[end].code >> 8 == tables.wide[at].code >> 8) {
      ++end;
    }
    bands.push_back(tables.wide.subspan(at, end - at));
    at = end;
  }
  if (!tables.narrow.empty()) bands.push_back(tables.narrow);
  std::int64_t width = 0;
  int height = 1;
  for (const auto band : bands) {
    std::int64_t across = 1;
    for (const GlyphEntry& entry : band) across += entry.glyph.Width() + 1;
    width = std::max(width, across);
    height = band.front().glyph.Height();
  }
  glyphs::GridPreview preview(std::max<std::int64_t>(width, 1), height,
                              static_cast<std::int64_t>(bands.size()), out);
  for (const auto band : bands) {
    for (const GlyphEntry& entry : band) preview.Add(entry.glyph);
    preview.EndBand();
  }
}

void WriteImage(const GlyphCollector::Tables& tables, const glyphs::ByteLayout& layout,
                std::ostream& out) {
  std::vector<std::uint8_t> bytes;
  for (const auto table : {tables.wide, tables.narrow}) {
    for (const GlyphEntry& entry : table) {
      bytes.clear();
      glyphs::AppendLaidOut(entry.glyph, layout, bytes);
      out.write(reinterpret_cast<const char*>(bytes.data()),
                static_cast<std::streamsize>(bytes.size()));
    }
  }
}

}  // namespace

void CommitPictureAndImage(std::optional<OutputFile>& picture, std::optional<OutputFile>& image,
                           FaultReport& faults) {
  try {
    if (picture) picture->Commit();
    if (image) image->Commit();
  } catch (const OutputFileError& error) {
    faults.Add(OutputFault("", error.what()));
  }
}

void WriteGlyphs(const GlyphOptions& options, Charset charset, OutputSink& out, OutputSink* source,
                 FaultReport& faults, const std::function<void(CharacterTaker&)>& takeInputs) {
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
  if (options.whole) return WriteWholeFont(options, *font, settings, out, source, faults);

  GlyphCollector collector(*font, charset, options.clip);
  takeInputs(collector);
  if (faults.Errors() != 0) return;
  const GlyphCollector::Tables tables = collector.Sorted();

  // The picture and the image are made before the header is written and put
  // in place after it, so that a failure anywhere leaves the old ones as they were.
  std::optional<OutputFile> preview;
  std::optional<OutputFile> image;
  try {
    if (!options.preview.empty()) {
      preview.emplace(options.preview);
      WritePreview(tables, !options.image.empty(), preview->Stream());
    }
    if (!options.image.empty()) {
      image.emplace(options.image);
      WriteImage(tables, options.layout, image->Stream());
    }
  } catch (const glyphs::PreviewError& error) {
    faults.Add(OutputFault(options.preview, error.what()));
    return;
  } catch (const OutputFileError& error) {
    faults.Add(OutputFault("", error.what()));
    return;
  }

  const int bitsPerPixel = font->BitsPerPixel();
  LaidOutTable wide(tables.wide, font->CellWidth(glyphs::Cell::Wide), font->PixelSize(),
                    bitsPerPixel, options.layout);
  LaidOutTable narrow(tables.narrow, font->CellWidth(glyphs::Cell::Narrow), font->PixelSize(),
                      bitsPerPixel, options.layout);
  WriteGlyphHeader(settings, wide.Table(), narrow.Table(), out, source);
  out.Flush();
  if (source != nullptr) source->Flush();
  if (const CutGlyphs cut = collector.Clipped(); cut.glyphs != 0) faults.Add(ClipWarning(cut));
  CommitPictureAndImage(preview, image, faults);
}

}  // namespace gbkhex::cli
