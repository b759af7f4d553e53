// The glyphs of a firmware's characters from the default font, as gbkhex-cli
// makes them: the font opened, every character drawn into its cell and laid
// out in bytes. Every GBK character (a whole font for a display), and the usual
// few hundred with their preview picture.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "convert/code_page_936.h"
#include "glyphs/font.h"
#include "glyphs/layout.h"
#include "glyphs/preview.h"
#include "harness/gbk_characters.h"

namespace {

using gbkhex::glyphs::Font;
using gbkhex::glyphs::Glyph;

// A menu's worth: the printable ASCII and 300 characters from GB2312's first
// level of ideographs (B0A1 on, the most common ones).
std::vector<char16_t> FewHundredCharacters() {
  std::vector<char16_t> characters;
  for (char16_t unit = 0x20; unit < 0x7F; ++unit) characters.push_back(unit);
  for (unsigned code = 0xB0A1; characters.size() < 95 + 300; ++code) {
    if ((code & 0xFF) < 0xA1 || (code & 0xFF) > 0xFE) continue;
    if (const auto unit = gbkhex::DecodeCodePage936(static_cast<std::uint16_t>(code))) {
      characters.push_back(*unit);
    }
  }
  return characters;
}

std::size_t DrawAndLayOut(Font& font, const std::vector<char16_t>& characters,
                          std::vector<Glyph>& glyphs, std::vector<std::uint8_t>& bytes) {
  for (const char16_t character : characters) {
    if (std::optional<Glyph> glyph = font.Draw(character, gbkhex::glyphs::CellFor(character))) {
      gbkhex::glyphs::AppendLaidOut(*glyph, {}, bytes);
      glyphs.push_back(std::move(*glyph));
    }
  }
  return glyphs.size();
}

void Glyphs(benchmark::State& state, const std::vector<char16_t>& characters, bool preview) {
  const std::optional<std::string> fontFile = gbkhex::glyphs::FindDefaultFont();
  if (!fontFile) {
    state.SkipWithError("the default font is not installed");
    return;
  }
  std::size_t drawn = 0;
  for (auto _ : state) {
    Font font = Font::Open(*fontFile, gbkhex::glyphs::kDefaultPixelSize);
    std::vector<Glyph> glyphs;
    std::vector<std::uint8_t> bytes;
    drawn = DrawAndLayOut(font, characters, glyphs, bytes);
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

BENCHMARK(EveryGbkCharacter)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(FewHundred)->Unit(benchmark::kMillisecond);
BENCHMARK(FewHundredWithPreview)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
