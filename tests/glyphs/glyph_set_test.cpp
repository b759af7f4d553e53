// The glyph-set builder through its API, on GNU Unifont: which characters a
// text's set takes and why it refuses the rest, and the cells of a whole
// charset's image, counted against the charsets' own sizes.

#include "glyphs/glyph_set.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace gbkhex::glyphs {
namespace {

const std::string kUnifont = "/usr/share/fonts/opentype/unifont/unifont.otf";

Font Unifont(std::optional<int> baseline = {}) {
  FontSource source;
  source.file = kUnifont;
  source.shownAs = kUnifont;
  return Font::Open(std::move(source), {.baseline = baseline});
}

// Unifont for the wide cells and the narrow alike.
CellFonts UnifontCells(std::optional<int> baseline = {}) {
  std::vector<Font> wide;
  wide.push_back(Unifont(baseline));
  std::vector<Font> narrow;
  narrow.push_back(Unifont(baseline));
  return CellFonts{FontChain(std::move(wide)), FontChain(std::move(narrow))};
}

class Faults final : public FaultSink {
 public:
  void Add(const Fault& fault) override { lines.push_back(fault.what); }
  bool ListsNextError() const noexcept override { return true; }
  std::vector<std::string> lines;
};

// Each text is taken up to its first refusal, which says why; what is taken
// is kept once a code, sorted, narrow and wide apart. A baseline at the
// cell's foot has descenders lose ink, refused unless clipped and counted.
TEST(GlyphSet, TakesATextsGlyphsOnceACodeAndSaysWhyItRefusesOne) {
  if (!std::filesystem::exists(kUnifont)) GTEST_SKIP() << "fonts-unifont is not installed";
  const struct {
    std::u16string text;
    std::optional<int> baseline;
    bool clip;
    std::size_t taken;
    std::string refusal;  // of the unit after those taken
  } cases[] = {
      {u"中文\n中A\r", {}, false, 6, ""},
      {u"中\t", {}, false, 1, "U+0009 is a control character"},
      {u"\uE000", {}, false, 0, "U+E000 '\uE000' has no glyph in the font"},
      // unifont.hex: the last two rows of 'g' light 2 + 4 pixels.
      {u"Ag", 16, false, 1, "U+0067 'g' would lose 6 pixels below its cell"},
      {u"Ag", 16, true, 2, ""},
  };
  for (const auto& c : cases) {
    CellFonts fonts = UnifontCells(c.baseline);
    CellJudge judge(fonts, c.clip);
    TextGlyphs set(judge, Charset::Gbk);
    const std::size_t taken = set.Take(c.text);
    EXPECT_EQ(taken, c.taken);
    if (taken < c.text.size()) {
      EXPECT_TRUE(set.Refusal(c.text[taken]).starts_with(c.refusal)) << set.Refusal(c.text[taken]);
    }
    EXPECT_EQ(judge.Clipped().glyphs, c.clip ? 1u : 0u);
  }
  CellFonts fonts = UnifontCells();
  CellJudge judge(fonts, false);
  TextGlyphs set(judge, Charset::Gbk);
  set.Take(u"文中A中\nA");
  const TextGlyphs::Tables tables = set.Sorted();
  ASSERT_EQ(tables.wide.size(), 2u);
  EXPECT_EQ(tables.wide[0].code, 0xCEC4);  // 文
  EXPECT_EQ(tables.wide[1].code, 0xD6D0);  // 中
  ASSERT_EQ(tables.narrow.size(), 1u);
  EXPECT_EQ(tables.narrow[0].glyph.Width(), 8);
}

class Counter final : public CellReceiver {
 public:
  void Cell(std::uint16_t code, const Glyph&, std::span<const std::uint8_t> laidOut) override {
    if (code > 0xFF) wideBytes = laidOut.size();
    ++cells;
  }
  void EndBand() override { ++bands; }
  std::size_t cells = 0;
  std::size_t bands = 0;
  std::size_t wideBytes = 0;
};

// GB 2312's grid is 94 x 94 codes, 7,445 of them characters, and 95
// printable ASCII codes follow: every cell comes, a band a zone and one for
// ASCII, and the codes without a character stay dark, counted once.
TEST(GlyphSet, DrawsEveryCellOfACharsetAndCountsTheDarkOnes) {
  if (!std::filesystem::exists(kUnifont)) GTEST_SKIP() << "fonts-unifont is not installed";
  CellFonts fonts = UnifontCells();
  CellJudge judge(fonts, false);
  CharsetCells cells(judge, Charset::Gb2312, ByteLayout{});
  Counter counter;
  Faults faults;
  cells.Draw(counter, faults);
  EXPECT_EQ(counter.cells, 94u * 94 + 95);
  EXPECT_EQ(counter.bands, 95u);
  EXPECT_EQ(counter.wideBytes, 32u);
  EXPECT_TRUE(faults.lines.empty());
  cells.Report(faults);
  ASSERT_FALSE(faults.lines.empty());
  EXPECT_EQ(faults.lines[0], "1,391 codes read no character in GB 2312; their cells are dark");
}

}  // namespace
}  // namespace gbkhex::glyphs
