#include "glyphs/glyph_output.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "convert/code_space.h"

namespace gbkhex::glyphs {
namespace {

constexpr std::string_view kCollectionExtensions[] = {".ttc", ".otc"};

// What the header's first comment says each scan does.
std::string ScanOrder(Scan scan, int bitsPerPixel) {
  const std::string perByte = std::to_string(8 / bitsPerPixel);
  switch (scan) {
    case Scan::Rows:
      return "each row from the top, in it bytes of " + perByte + " pixels from the left";
    case Scan::Columns:
      return "each column from the left, in it bytes of " + perByte + " pixels from the top";
    case Scan::Pages:
      return "each band of 8 rows from the top, in it a byte a column from the left";
    case Scan::Tiles:
      return "each band of 8 columns from the left, in it a byte a row from the top";
  }
  return "";
}

void WriteBytes(std::span<const std::uint8_t> bytes, std::ostream& out) {
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// A table of the header, each glyph drawn as text and laid out when the
// writer comes to it, into buffers that the next one reuses.
class LaidOutTable {
 public:
  LaidOutTable(std::span<const GlyphEntry> entries, int width, int height, int bitsPerPixel,
               const ByteLayout& layout)
      : entries_(entries),
        width_(width),
        bytesPerGlyph_(LaidOutSize(width, height, layout.scan, bitsPerPixel)),
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
    drawn_ = DrawAsText(entry.glyph);
    bytes_.clear();
    AppendLaidOut(entry.glyph, layout_, bytes_);
    note_ = MovedText(entry.moved);
    return {.character = entry.character, .drawn = drawn_, .bytes = bytes_, .note = note_};
  }

  std::span<const GlyphEntry> entries_;
  int width_;
  std::size_t bytesPerGlyph_;
  ByteLayout layout_;
  std::vector<std::uint16_t> codes_;
  std::string drawn_;
  std::string note_;
  std::vector<std::uint8_t> bytes_;
};

// A font's file by its name alone.
std::string NameInHeader(const std::string& font) {
#ifdef _WIN32
  const std::size_t separator = font.find_last_of("/\\:");
#else
  const std::size_t separator = font.rfind('/');
#endif
  return separator == std::string::npos ? font : font.substr(separator + 1);
}

// the font "F": family "X", style "Y", face N of the collection.
std::string FaceText(const Font& font) {
  std::string text = "the font \"" + NameInHeader(font.Name()) + "\": family \"" + font.Family() +
                     "\", style \"" + font.Style() + "\"";
  if (font.FaceIndex() > 0 || IsCollection(font.Name())) {
    text += ", face " + std::to_string(font.FaceIndex()) + " of the collection";
  }
  return text;
}

std::string PlaceText(const Font& font) {
  return "baseline " + std::to_string(font.Baseline()) + " rows from the cell's top, " +
         std::string(RuleText(font.RuleOfBaseline()));
}

// What the first comment says beyond the first face: where the narrow glyphs
// of that face stand at an em of their own, and every further face with what
// it drew.
std::vector<std::string> FacesText(const CellFonts& fonts, bool narrowFont) {
  const std::span<const Font> wide = fonts.wide.Fonts();
  const std::span<const Font> narrow = fonts.narrow.Fonts();
  std::vector<std::string> lines;
  if (!narrowFont && narrow[0].Baseline() != wide[0].Baseline()) {
    lines.push_back("Its narrow glyphs stand on a baseline " +
                    std::to_string(narrow[0].Baseline()) + " rows from the cell's top.");
  }
  if (wide.size() == 1 && !narrowFont) return lines;
  lines.push_back(narrowFont ? "It draws the wide glyphs." : "It draws every glyph that it has.");
  if (narrowFont) {
    lines.push_back("From " + FaceText(narrow[0]) + ", " + PlaceText(narrow[0]) +
                    ": the narrow glyphs" + (narrow.size() > 1 ? ", then the fonts above." : "."));
  }
  for (std::size_t i = 1; i < wide.size(); ++i) {
    lines.push_back("From " + FaceText(wide[i]) + ", " + PlaceText(wide[i]) +
                    ": the glyphs that the fonts before it lack.");
  }
  return lines;
}

// "wide glyphs at 15 px to the em, narrow glyphs at 10 px to the em" where
// an em differs from the size; else "".
std::string EmsText(const CellFonts& fonts) {
  const Font& wide = fonts.wide.First();
  const Font& narrow = fonts.narrow.First();
  if (wide.Em() == wide.PixelSize() && narrow.Em() == narrow.PixelSize()) return "";
  return "wide glyphs at " + std::to_string(wide.Em()) + " px to the em, narrow glyphs at " +
         std::to_string(narrow.Em()) + " px to the em";
}

}  // namespace

GlyphLayoutText LayoutText(const ByteLayout& layout, int bitsPerPixel) {
  const bool high = layout.bitOrder == BitOrder::MsbFirst;
  const std::string bits = bitsPerPixel == 1 ? " bit" : " bits";
  return GlyphLayoutText{
      .scan = WordOf(kScanWords, layout.scan),
      .scanOrder = ScanOrder(layout.scan, bitsPerPixel),
      .bitOrder = WordOf(kBitOrderWords, layout.bitOrder),
      .bitOrderMeans =
          std::string("the first pixel of a byte in its ") + (high ? "high" : "low") + bits,
      .invert = layout.invert,
      .bitsPerPixel = bitsPerPixel,
  };
}

std::string_view RuleText(BaselineRule rule) noexcept {
  switch (rule) {
    case BaselineRule::Given:
      return "as --baseline gives it";
    case BaselineRule::IdeographicEmBox:
      return "from the font's ideographic em box";
    case BaselineRule::Ideographs:
      return "from the extent of the font's ideographs";
    case BaselineRule::AscenderDescender:
      return "from the font's ascender and descender";
    case BaselineRule::BitmapFont:
      return "at the bitmap font's ascent";
  }
  return "";
}

bool IsCollection(const std::string& font) {
  std::string lowered = font;
  std::transform(lowered.begin(), lowered.end(), lowered.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return std::any_of(
      std::begin(kCollectionExtensions), std::end(kCollectionExtensions),
      [&lowered](std::string_view extension) { return lowered.ends_with(extension); });
}

void DescribeFaces(const CellFonts& fonts, bool narrowFont, GlyphHeaderSettings& settings) {
  const Font& font = fonts.wide.First();
  settings.fontName = NameInHeader(font.Name());
  settings.family = font.Family();
  settings.fontStyle = font.Style();
  settings.face = font.FaceIndex() > 0 || IsCollection(font.Name())
                      ? std::optional<int>(font.FaceIndex())
                      : std::nullopt;
  settings.pixelSize = font.PixelSize();
  settings.baseline = font.Baseline();
  settings.baselineRule = std::string(RuleText(font.RuleOfBaseline()));
  settings.ems = EmsText(fonts);
  settings.faces = FacesText(fonts, narrowFont);
}

void WriteTextGlyphsHeader(const GlyphHeaderSettings& settings, const TextGlyphs::Tables& tables,
                           const Font& font, const ByteLayout& layout, TextSink& out,
                           TextSink* source) {
  const int bitsPerPixel = font.BitsPerPixel();
  LaidOutTable wide(tables.wide, font.CellWidth(Cell::Wide), font.PixelSize(), bitsPerPixel,
                    layout);
  LaidOutTable narrow(tables.narrow, font.CellWidth(Cell::Narrow), font.PixelSize(), bitsPerPixel,
                      layout);
  WriteGlyphHeader(settings, wide.Table(), narrow.Table(), out, source);
}

void WriteTextGlyphsImage(const TextGlyphs::Tables& tables, const ByteLayout& layout,
                          std::ostream& out) {
  std::vector<std::uint8_t> bytes;
  for (const auto table : {tables.wide, tables.narrow}) {
    for (const GlyphEntry& entry : table) {
      bytes.clear();
      AppendLaidOut(entry.glyph, layout, bytes);
      WriteBytes(bytes, out);
    }
  }
}

void WriteTextGlyphsPreview(const TextGlyphs::Tables& tables, bool withImage, std::ostream& out) {
  if (!withImage) {
    std::vector<Glyph> glyphs;
    glyphs.reserve(tables.wide.size() + tables.narrow.size());
    for (const auto table : {tables.wide, tables.narrow}) {
      for (const GlyphEntry& entry : table) glyphs.push_back(entry.glyph);
    }
    WriteBytes(PreviewPng(glyphs), out);
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
  GridPreview preview(std::max<std::int64_t>(width, 1), height,
                      static_cast<std::int64_t>(bands.size()), out);
  for (const auto band : bands) {
    for (const GlyphEntry& entry : band) preview.Add(entry.glyph);
    preview.EndBand();
  }
}

FontImageGeometry WholeImageGeometry(Charset charset, const Font& font, const ByteLayout& layout) {
  const int height = font.PixelSize();
  const int bits = font.BitsPerPixel();
  return FontImageGeometry{
      .charset = charset,
      .wideWidth = font.CellWidth(Cell::Wide),
      .narrowWidth = font.CellWidth(Cell::Narrow),
      .wideBytes = LaidOutSize(font.CellWidth(Cell::Wide), height, layout.scan, bits),
      .narrowBytes = LaidOutSize(font.CellWidth(Cell::Narrow), height, layout.scan, bits),
  };
}

WholeFontWriter::WholeFontWriter(FontImageHeader& header, const FontImageGeometry& geometry,
                                 int cellHeight, std::ostream* image, std::ostream* picture)
    : header_(header), image_(image) {
  if (picture == nullptr) return;
  const CodeGrid grid = GridOf(geometry.charset);
  const std::int64_t width =
      std::max<std::int64_t>(std::int64_t{grid.columns} * (geometry.wideWidth + 1),
                             std::int64_t{kNarrowCells} * (geometry.narrowWidth + 1)) +
      1;
  preview_.emplace(width, cellHeight, std::int64_t{grid.rows} + 1, *picture);
}

void WholeFontWriter::Cell(std::uint16_t, const Glyph& glyph,
                           std::span<const std::uint8_t> laidOut) {
  if (image_ != nullptr) {
    WriteBytes(laidOut, *image_);
  } else {
    header_.Append(laidOut);
  }
  if (preview_) preview_->Add(glyph);
}

void WholeFontWriter::EndBand() {
  if (preview_) preview_->EndBand();
}

}  // namespace gbkhex::glyphs
