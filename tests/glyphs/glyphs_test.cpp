// What check_glyphs.py cannot see through Unifont at 16 px, whose cells fill
// whole bytes: part bytes, cut bitmaps, the font tables' names and metrics.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "glyphs/font.h"
#include "glyphs/layout.h"
#include "glyphs/preview.h"
#include "glyphs/sfnt.h"

namespace gbkhex::glyphs {
namespace {

const std::string kUnifont = "/usr/share/fonts/opentype/unifont/unifont.otf";
const std::string kNotoCollection = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";

// 10 x 10, so that every row and column ends in a part byte and pages and
// tiles in a part band: the diagonal, and the top row's last pixel.
Glyph Diagonal() {
  Glyph glyph(10, 10);
  for (int i = 0; i < 10; ++i) glyph.Light(i, i);
  glyph.Light(9, 0);
  return glyph;
}

TEST(LayOut, GivesEachScanAndBitOrderAsADatasheetDrawsIt) {
  struct Case {
    ByteLayout layout;
    std::vector<std::uint8_t> bytes;
  };
  using enum Scan;
  const BitOrder msb = BitOrder::MsbFirst;
  const Case cases[] = {
      {{Rows, msb, false}, {0x80, 0x40, 0x40, 0x00, 0x20, 0x00, 0x10, 0x00, 0x08, 0x00,
                            0x04, 0x00, 0x02, 0x00, 0x01, 0x00, 0x00, 0x80, 0x00, 0x40}},
      {{Columns, msb, false}, {0x80, 0x00, 0x40, 0x00, 0x20, 0x00, 0x10, 0x00, 0x08, 0x00,
                               0x04, 0x00, 0x02, 0x00, 0x01, 0x00, 0x00, 0x80, 0x80, 0x40}},
      {{Pages, msb, false}, {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01, 0x00, 0x80,
                             0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x40}},
      {{Tiles, msb, false}, {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01, 0x00, 0x00,
                             0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x40}},
      {{Rows, BitOrder::LsbFirst, false},
       {0x01, 0x02, 0x02, 0x00, 0x04, 0x00, 0x08, 0x00, 0x10, 0x00,
        0x20, 0x00, 0x40, 0x00, 0x80, 0x00, 0x00, 0x01, 0x00, 0x02}},
      // The fill is dark too, so 1 once inverted.
      {{Pages, msb, true}, {0x7F, 0xBF, 0xDF, 0xEF, 0xF7, 0xFB, 0xFD, 0xFE, 0xFF, 0x7F,
                            0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0xBF}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LayOut(Diagonal(), c.layout), c.bytes) << static_cast<int>(c.layout.scan);
    EXPECT_EQ(LaidOutSize(10, 10, c.layout.scan), c.bytes.size());
  }
  EXPECT_EQ(LaidOutSize(6, 12, Rows), 12u);
  EXPECT_EQ(LaidOutSize(6, 12, Pages), 12u);
  EXPECT_EQ(LaidOutSize(12, 6, Columns), 12u);
  EXPECT_EQ(LaidOutSize(9, 9, Tiles), 18u);
}

TEST(Glyph, StampCutsWhatFallsOutsideTheCellAndDrawsAsText) {
  Glyph glyph(3, 2);
  // 3 x 3 lit, its top-left corner one pixel left of and above the cell's.
  const std::uint8_t bits[] = {0xE0, 0xE0, 0xE0};
  glyph.Stamp(bits, 1, 3, 3, -1, -1);
  EXPECT_EQ(DrawAsText(glyph), "##.\n##.\n");
  Glyph below(3, 2);
  below.Stamp(bits, 1, 3, 3, 2, 1);
  EXPECT_EQ(DrawAsText(below), "...\n..#\n");
  EXPECT_THROW(Glyph(0, 16), std::invalid_argument);
}

TEST(Sfnt, ScalesToTheNearestPixel) {
  EXPECT_EQ(sfnt::ScaleToPixels(56, 64, 16), 14);
  EXPECT_EQ(sfnt::ScaleToPixels(1160, 1000, 16), 19);  // 18.56
  EXPECT_EQ(sfnt::ScaleToPixels(859, 1000, 12), 10);   // 10.308
  EXPECT_EQ(sfnt::ScaleToPixels(1, 2, 1), 1);          // a half goes up
  EXPECT_EQ(sfnt::ScaleToPixels(-3, 2, 1), -1);        // -1.5
  EXPECT_EQ(sfnt::ScaleToPixels(-1000, 1000, 16), -16);
}

TEST(Font, UnifontIsTheDefaultAtSixteenPixels) {
  if (!std::filesystem::exists(kUnifont)) GTEST_SKIP() << "fonts-unifont is not installed";
  EXPECT_EQ(FindDefaultFont(), kUnifont);
  Font font = Font::Open(*FindDefaultFont(), kDefaultPixelSize);
  EXPECT_EQ(font.Family(), "Unifont");
  EXPECT_EQ(font.Ascender(), 14);
  EXPECT_EQ(font.CellWidth(Cell::Wide), 16);
  EXPECT_EQ(font.CellWidth(Cell::Narrow), 8);
  EXPECT_EQ(Font::Open(kUnifont, 15).CellWidth(Cell::Narrow), 8);
  // α has a two-byte code and an 8-pixel glyph: at the cell's left, the rest dark.
  const std::optional<Glyph> alpha = font.Draw(u'α', Cell::Wide);
  ASSERT_TRUE(alpha);
  EXPECT_EQ(DrawAsText(*alpha).substr(17 * 6, 17 * 2),
            "..##..#.........\n"
            ".#..#.#.........\n");
  EXPECT_FALSE(font.Draw(u'\uE000', Cell::Wide)) << "Unifont has no glyphs for private use";
  EXPECT_FALSE(font.Draw(u'\xD800', Cell::Wide)) << "a lone surrogate half";
}

TEST(Font, ReadsTheFirstFontOfACollectionByItsOwnTables) {
  if (!std::filesystem::exists(kNotoCollection)) GTEST_SKIP() << "fonts-noto-cjk is not installed";
  const auto names = sfnt::ReadTable(kNotoCollection, sfnt::Tag("name"));
  ASSERT_TRUE(names);
  EXPECT_EQ(sfnt::FamilyName(*names), "Noto Sans CJK JP");
  Font font = Font::Open(kNotoCollection, 16);
  EXPECT_EQ(font.Family(), "Noto Sans CJK JP");
  EXPECT_EQ(font.Ascender(), 19);  // hhea's 1160 units of 1000
  ASSERT_TRUE(font.Draw(u'中', Cell::Wide));
}

TEST(Font, RefusesSizesOutOfRange) {
  for (const int size : {0, -16, kMaxPixelSize + 1}) {
    EXPECT_THROW(Font::Open(kUnifont, size), FontError) << size;
  }
}

TEST(Preview, HasOnePixelOfGridForNoGlyphAndRefusesAZeroScale) {
  const PreviewImage empty = DrawPreview({});
  EXPECT_EQ(empty.width, 1);
  EXPECT_EQ(empty.height, 1);
  EXPECT_EQ(empty.grey, std::vector<std::uint8_t>{kPreviewGrid});
  EXPECT_FALSE(PreviewPng({}).empty());
  const std::vector<Glyph> glyphs(1, Glyph(8, 16));
  EXPECT_THROW(DrawPreview(glyphs, {.scale = 0, .columns = 16}), PreviewError);
  EXPECT_THROW(DrawPreview(glyphs, {.scale = 4, .columns = 0}), PreviewError);
}

}  // namespace
}  // namespace gbkhex::glyphs
