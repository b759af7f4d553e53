#include "cli/whole_font.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "cli/glyph_collector.h"
#include "cli/output_file.h"
#include "convert/code_space.h"
#include "glyphs/layout.h"
#include "glyphs/preview.h"
#include "text/characters.h"

namespace gbkhex::cli {
namespace {

bool IsUserDefined(char16_t character) noexcept {
  return character >= 0xE000 && character <= 0xF8FF;
}

// Why a cell stays dark.
enum class Empty { UserDefined, NoCharacter, NoGlyph, Blank };
constexpr std::size_t kEmptyKinds = 4;

// Draws the cells of an image, keeping count of those left dark and of the
// pixels that the cells cut.
class CellDrawer {
 public:
  CellDrawer(glyphs::Font& font, Charset charset, bool clip, FaultReport& faults)
      : font_(font), charset_(charset), clip_(clip), faults_(faults) {}

  // The glyph of `code`'s cell: the character's, or all dark.
  glyphs::Glyph Draw(std::uint16_t code) {
    const glyphs::Cell cell = code > 0xFF ? glyphs::Cell::Wide : glyphs::Cell::Narrow;
    const std::optional<char16_t> character = GbkDecoder(charset_).Decode(code);
    if (!character) return Dark(cell, Empty::NoCharacter);
    std::optional<glyphs::DrawnGlyph> drawn;
    try {
      drawn = font_.Draw(*character, cell);
    } catch (const glyphs::FontError& error) {
      throw FatalFault(Fault{.kind = FaultKind::Undrawable, .what = error.what()});
    }
    const bool userDefined = IsUserDefined(*character);
    if (!drawn) return Dark(cell, userDefined ? Empty::UserDefined : Empty::NoGlyph);
    if (drawn->Blank() && !glyphs::IsBlankCharacter(*character)) {
      return Dark(cell, userDefined ? Empty::UserDefined : Empty::Blank);
    }
    if (const int lost = drawn->lost.Total(); lost != 0) {
      if (clip_) {
        ++clipped_.glyphs;
        clipped_.pixels += static_cast<std::uint64_t>(lost);
      } else {
        faults_.Add(
            Fault{.kind = FaultKind::Undrawable,
                  .what = "code " + CodeText(code) + ", " + DescribeCharacter(*character) +
                          ", would lose " + LostText(drawn->lost),
                  .hint = "use --baseline, a monospaced face, or --clip to accept the cut"});
      }
    }
    return std::move(drawn->glyph);
  }

  // One warning for each reason that left cells dark.
  void Report(Charset charset) const {
    const std::string reads = charset == Charset::Gb2312 ? "GB 2312" : "code page 936";
    const std::pair<std::string, std::string> texts[kEmptyKinds] = {
        {" user-defined code has no glyph in ", " user-defined codes have no glyph in "},
        {" code reads no character in " + reads, " codes read no character in " + reads},
        {" character has no glyph in ", " characters have no glyph in "},
        {" glyph is blank where its character is not, in ",
         " glyphs are blank where their characters are not, in "}};
    for (std::size_t kind = 0; kind < kEmptyKinds; ++kind) {
      const std::uint64_t count = empty_[kind];
      if (count == 0) continue;
      std::string what =
          WithThousands(count) + (count == 1 ? texts[kind].first : texts[kind].second);
      if (kind != static_cast<std::size_t>(Empty::NoCharacter)) {
        what += "the font '" + font_.Name() + "' (" + font_.Family() + ")";
      }
      what += count == 1 ? "; its cell is dark" : "; their cells are dark";
      faults_.Add(
          Fault{.kind = FaultKind::Undrawable, .severity = Severity::Warning, .what = what});
    }
    if (clipped_.glyphs != 0) faults_.Add(ClipWarning(clipped_));
  }

 private:
  static std::string CodeText(std::uint16_t code) {
    return code > 0xFF ? NumToStrHex(code >> 8, 1) + " " + NumToStrHex(code & 0xFF, 1)
                       : NumToStrHex(code, 1);
  }

  glyphs::Glyph Dark(glyphs::Cell cell, Empty why) {
    ++empty_[static_cast<std::size_t>(why)];
    return glyphs::Glyph(font_.CellWidth(cell), font_.PixelSize(), font_.BitsPerPixel());
  }

  glyphs::Font& font_;
  Charset charset_;
  bool clip_;
  FaultReport& faults_;
  std::uint64_t empty_[kEmptyKinds] = {};
  CutGlyphs clipped_;
};

}  // namespace

void WriteWholeFont(const GlyphOptions& options, glyphs::Font& font,
                    const GlyphHeaderSettings& settings, OutputSink& out, OutputSink* source,
                    FaultReport& faults) {
  const Charset charset = *options.whole;
  const CodeGrid grid = GridOf(charset);
  const int height = font.PixelSize();
  const int bits = font.BitsPerPixel();
  const FontImageGeometry geometry{
      .charset = charset,
      .wideWidth = font.CellWidth(glyphs::Cell::Wide),
      .narrowWidth = font.CellWidth(glyphs::Cell::Narrow),
      .wideBytes = glyphs::LaidOutSize(font.CellWidth(glyphs::Cell::Wide), height,
                                       options.layout.scan, bits),
      .narrowBytes = glyphs::LaidOutSize(font.CellWidth(glyphs::Cell::Narrow), height,
                                         options.layout.scan, bits),
  };

  std::optional<OutputFile> image;
  std::optional<OutputFile> picture;
  std::optional<glyphs::GridPreview> preview;
  try {
    if (!options.image.empty()) image.emplace(options.image);
    if (!options.preview.empty()) {
      picture.emplace(options.preview);
      const std::int64_t width =
          std::max<std::int64_t>(std::int64_t{grid.columns} * (geometry.wideWidth + 1),
                                 std::int64_t{kNarrowCells} * (geometry.narrowWidth + 1)) +
          1;
      preview.emplace(width, height, std::int64_t{grid.rows} + 1, picture->Stream());
    }
  } catch (const OutputFileError& error) {
    faults.Add(OutputFault("", error.what()));
    return;
  } catch (const glyphs::PreviewError& error) {
    faults.Add(OutputFault(options.preview, error.what()));
    return;
  }

  FontImageHeader header(settings, geometry, !image, out, source);
  header.Begin();
  CellDrawer drawer(font, charset, options.clip, faults);
  std::vector<std::uint8_t> bytes;
  const auto writeCell = [&](std::uint16_t code) {
    const glyphs::Glyph glyph = drawer.Draw(code);
    bytes.clear();
    glyphs::AppendLaidOut(glyph, options.layout, bytes);
    if (image) {
      image->Stream().write(reinterpret_cast<const char*>(bytes.data()),
                            static_cast<std::streamsize>(bytes.size()));
    } else {
      header.Append(bytes);
    }
    if (preview) preview->Add(glyph);
  };
  try {
    for (std::size_t row = 0; row < grid.rows; ++row) {
      for (std::size_t column = 0; column < grid.columns; ++column) {
        writeCell(CodeOfCell(grid, row * grid.columns + column));
      }
      if (preview) preview->EndBand();
    }
    for (unsigned code = kFirstNarrowCode; code < kFirstNarrowCode + kNarrowCells; ++code) {
      writeCell(static_cast<std::uint16_t>(code));
    }
    if (preview) preview->EndBand();
  } catch (const glyphs::PreviewError& error) {
    faults.Add(OutputFault(options.preview, error.what()));
    return;
  }
  header.End();
  out.Flush();
  if (source != nullptr) source->Flush();
  drawer.Report(charset);
  if (faults.Errors() == 0) CommitPictureAndImage(picture, image, faults);
}

}  // namespace gbkhex::cli
