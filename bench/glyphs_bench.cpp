// The glyphs of a firmware's characters, as gbkhex-cli makes them: the font
// opened, every character drawn into its cell and laid out in bytes. From the
// default font 1 bit a pixel: every GBK character (a whole font for a display),
// and the usual few hundred with their preview picture. From Noto Sans CJK SC
// at 24 px, 4 bits a pixel (a colour display's glyphs): every GB 2312
// character, beside FreeType alone loading and rendering the same glyphs, the
// least that drawing them can cost. A whole GBK font image, every cell in code
// order as --whole draws it: from the default font at 16 px, 1 bit, and from
// Noto Sans CJK SC at 24 px, 4 bits beside FreeType alone on the same
// characters.

#include <benchmark/benchmark.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "convert/code_space.h"
#include "convert/gbk_codec.h"
#include "glyphs/font.h"
#include "glyphs/layout.h"
#include "glyphs/preview.h"
#include "harness/gbk_characters.h"

namespace {

using gbkhex::glyphs::DrawnGlyph;
using gbkhex::glyphs::Font;
using gbkhex::glyphs::FontSource;
using gbkhex::glyphs::Glyph;

constexpr const char* kNotoCollection = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";
constexpr int kNotoChineseFace = 2;
constexpr int kGreyPixelSize = 24;

// A menu's worth: the printable ASCII and 300 characters from GB2312's first
// level of ideographs (B0A1 on, the most common ones).
std::vector<char16_t> FewHundredCharacters() {
  std::vector<char16_t> characters;
  for (char16_t unit = 0x20; unit < 0x7F; ++unit) characters.push_back(unit);
  for (unsigned code = 0xB0A1; characters.size() < 95 + 300; ++code) {
    if ((code & 0xFF) < 0xA1 || (code & 0xFF) > 0xFE) continue;
    if (const auto unit = gbkhex::GbkDecoder().Decode(static_cast<std::uint16_t>(code))) {
      characters.push_back(*unit);
    }
  }
  return characters;
}

std::size_t DrawAndLayOut(Font& font, const std::vector<char16_t>& characters,
                          const gbkhex::glyphs::ByteLayout& layout, std::vector<Glyph>& glyphs,
                          std::vector<std::uint8_t>& bytes) {
  for (const char16_t character : characters) {
    if (std::optional<DrawnGlyph> drawn =
            font.Draw(character, gbkhex::glyphs::CellFor(character))) {
      gbkhex::glyphs::AppendLaidOut(drawn->glyph, layout, bytes);
      glyphs.push_back(std::move(drawn->glyph));
    }
  }
  return glyphs.size();
}

void Glyphs(benchmark::State& state, const std::vector<char16_t>& characters, bool preview) {
  const std::optional<FontSource> source = gbkhex::glyphs::FindDefaultFont();
  if (!source) {
    state.SkipWithError("the default font is not installed");
    return;
  }
  std::size_t drawn = 0;
  for (auto _ : state) {
    Font font = Font::Open(*source);
    std::vector<Glyph> glyphs;
    std::vector<std::uint8_t> bytes;
    drawn = DrawAndLayOut(font, characters, {}, glyphs, bytes);
    if (preview) benchmark::DoNotOptimize(gbkhex::glyphs::PreviewPng(glyphs).data());
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * characters.size()));
  state.counters["glyphs"] = static_cast<double>(drawn);
}

void EveryGbkCharacter(benchmark::State& state) {
  Glyphs(state, gbkhex::harness::GbkCharacters(), false);
}
void FewHundred(benchmark::State& state) { Glyphs(state, FewHundredCharacters(), false); }
void FewHundredWithPreview(benchmark::State& state) { Glyphs(state, FewHundredCharacters(), true); }

bool NotoInstalled(benchmark::State& state) {
  std::error_code error;
  if (std::filesystem::is_regular_file(kNotoCollection, error)) return true;
  state.SkipWithError("fonts-noto-cjk is not installed");
  return false;
}

// The font opened once, as gbkhex-cli does for a run; each iteration draws and
// lays out every glyph.
void Gb2312FourBitsAPixel(benchmark::State& state) {
  if (!NotoInstalled(state)) return;
  FontSource source;
  source.file = kNotoCollection;
  source.shownAs = kNotoCollection;
  source.faceIndex = kNotoChineseFace;
  Font font = Font::Open(source, {.pixelSize = kGreyPixelSize, .bitsPerPixel = 4});
  const std::vector<char16_t> characters = gbkhex::harness::Gb2312Characters();
  for (auto _ : state) {
    std::vector<Glyph> glyphs;
    std::vector<std::uint8_t> bytes;
    DrawAndLayOut(font, characters, {}, glyphs, bytes);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * characters.size()));
}

// The cells of the whole GBK image, in its order: the character that each
// code reads, and its cell; codes that read none stay out, as they draw nothing.
struct ImageCell {
  char16_t character;
  gbkhex::glyphs::Cell cell;
};

std::vector<ImageCell> WholeGbkCells() {
  const gbkhex::CodeGrid grid = gbkhex::GridOf(gbkhex::Charset::Gbk);
  std::vector<ImageCell> cells;
  const auto add = [&cells](std::uint16_t code, gbkhex::glyphs::Cell cell) {
    if (const auto character = gbkhex::GbkDecoder(gbkhex::Charset::Gbk).Decode(code)) {
      cells.push_back({*character, cell});
    }
  };
  for (std::size_t index = 0; index < grid.Cells(); ++index) {
    add(gbkhex::CodeOfCell(grid, index), gbkhex::glyphs::Cell::Wide);
  }
  for (unsigned code = gbkhex::kFirstNarrowCode;
       code < gbkhex::kFirstNarrowCode + gbkhex::kNarrowCells; ++code) {
    add(static_cast<std::uint16_t>(code), gbkhex::glyphs::Cell::Narrow);
  }
  return cells;
}

// Every cell drawn and laid out into one reused buffer, as --whole streams them.
void DrawImage(Font& font, const std::vector<ImageCell>& cells) {
  std::vector<std::uint8_t> bytes;
  for (const ImageCell& cell : cells) {
    bytes.clear();
    if (std::optional<DrawnGlyph> drawn = font.Draw(cell.character, cell.cell)) {
      gbkhex::glyphs::AppendLaidOut(drawn->glyph, {}, bytes);
    }
    benchmark::DoNotOptimize(bytes.data());
  }
}

void WholeGbkImage(benchmark::State& state) {
  const std::optional<FontSource> source = gbkhex::glyphs::FindDefaultFont();
  if (!source) return state.SkipWithError("the default font is not installed");
  const std::vector<ImageCell> cells = WholeGbkCells();
  for (auto _ : state) {
    Font font = Font::Open(*source);
    DrawImage(font, cells);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * cells.size()));
}

FontSource NotoChinese() {
  FontSource source;
  source.file = kNotoCollection;
  source.shownAs = kNotoCollection;
  source.faceIndex = kNotoChineseFace;
  return source;
}

void WholeGbkImageFourBitsAPixel(benchmark::State& state) {
  if (!NotoInstalled(state)) return;
  Font font = Font::Open(NotoChinese(), {.pixelSize = kGreyPixelSize, .bitsPerPixel = 4});
  const std::vector<ImageCell> cells = WholeGbkCells();
  for (auto _ : state) DrawImage(font, cells);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * cells.size()));
}

struct LibraryDone {
  void operator()(FT_Library library) const noexcept { FT_Done_FreeType(library); }
};
struct FaceDone {
  void operator()(FT_Face face) const noexcept { FT_Done_Face(face); }
};

// FreeType alone loading and rendering `characters` as the glyph library
// does, from Noto's Chinese face at the grey size; a character without a glyph
// is drawn by neither (no .notdef box).
void RenderWithFreeTypeAlone(benchmark::State& state, const std::vector<char16_t>& characters) {
  if (!NotoInstalled(state)) return;
  FT_Library rawLibrary = nullptr;
  FT_Face rawFace = nullptr;
  if (FT_Init_FreeType(&rawLibrary) != 0) return state.SkipWithError("FreeType failed");
  const std::unique_ptr<FT_LibraryRec_, LibraryDone> library(rawLibrary);
  if (FT_New_Face(rawLibrary, kNotoCollection, kNotoChineseFace, &rawFace) != 0) {
    return state.SkipWithError("FreeType cannot open the font");
  }
  const std::unique_ptr<FT_FaceRec_, FaceDone> face(rawFace);
  FT_Set_Pixel_Sizes(rawFace, 0, kGreyPixelSize);
  for (auto _ : state) {
    for (const char16_t character : characters) {
      const FT_UInt index = FT_Get_Char_Index(rawFace, character);
      if (index == 0 || FT_Load_Glyph(rawFace, index, FT_LOAD_TARGET_NORMAL) != 0) continue;
      FT_Render_Glyph(rawFace->glyph, FT_RENDER_MODE_NORMAL);
      benchmark::DoNotOptimize(rawFace->glyph->bitmap.buffer);
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * characters.size()));
}

void Gb2312FreeTypeAlone(benchmark::State& state) {
  RenderWithFreeTypeAlone(state, gbkhex::harness::Gb2312Characters());
}

void WholeGbkFreeTypeAlone(benchmark::State& state) {
  std::vector<char16_t> characters;
  for (const ImageCell& cell : WholeGbkCells()) characters.push_back(cell.character);
  RenderWithFreeTypeAlone(state, characters);
}

BENCHMARK(EveryGbkCharacter)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(FewHundred)->Unit(benchmark::kMillisecond);
BENCHMARK(FewHundredWithPreview)->Unit(benchmark::kMillisecond);
BENCHMARK(Gb2312FourBitsAPixel)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(Gb2312FreeTypeAlone)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(WholeGbkImage)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(WholeGbkImageFourBitsAPixel)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(WholeGbkFreeTypeAlone)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
