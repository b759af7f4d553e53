// What the Python checks cannot see through whole fonts: part bytes, grey
// levels packed and cut, the font tables' names and em boxes, malformed tables.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "glyphs/font.h"
#include "glyphs/layout.h"
#include "glyphs/placement.h"
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

TEST(Glyph, StampCutsAndCountsWhatFallsOutsideTheCellAndDrawsAsText) {
  Glyph glyph(3, 2);
  // 3 x 3 lit, its top-left corner one pixel left of and above the cell's:
  // the corner pixel counts above.
  const std::uint8_t bits[] = {0xE0, 0xE0, 0xE0};
  const CoverageBitmap lit{.rows = bits, .pitch = 1, .width = 3, .height = 3};
  EXPECT_EQ(glyph.Stamp(lit, -1, -1), (LostPixels{.above = 3, .left = 2}));
  EXPECT_EQ(DrawAsText(glyph), "##.\n##.\n");
  Glyph below(3, 2);
  EXPECT_EQ(below.Stamp(lit, 2, 1), (LostPixels{.below = 6, .right = 2}));
  EXPECT_EQ(DrawAsText(below), "...\n..#\n");
  EXPECT_FALSE(below.Dark());
  // Bottom up in memory, as a negative pitch says.
  Glyph upward(3, 3);
  const std::uint8_t rows[] = {0x20, 0x40, 0x80};
  upward.Stamp({.rows = rows + 2, .pitch = -1, .width = 3, .height = 3}, 0, 0);
  EXPECT_EQ(DrawAsText(upward), "#..\n.#.\n..#\n");
  EXPECT_THROW(Glyph(0, 16), std::invalid_argument);
  EXPECT_THROW(Glyph(8, 16, 3), std::invalid_argument);
}

// Coverage to levels by (c * max + F / 2) / F, from every depth a font engine
// gives to every depth a glyph has; the ramp and the preview's greys follow.
TEST(Glyph, ScalesCoverageToTheNearestLevel) {
  const std::uint8_t coverage[] = {0, 1, 8, 9, 127, 128, 254, 255};
  Glyph grey(8, 1, 4);
  grey.Stamp({.rows = coverage, .pitch = 8, .width = 8, .height = 1, .bitsPerPixel = 8}, 0, 0);
  std::vector<int> levels;
  for (int x = 0; x < 8; ++x) levels.push_back(grey.Level(x, 0));
  EXPECT_EQ(levels, (std::vector<int>{0, 0, 0, 1, 7, 8, 15, 15}));
  EXPECT_EQ(DrawRowAsText(grey, 0), "...,=+@@");
  Glyph mono(8, 1, 1);
  mono.Stamp({.rows = coverage, .pitch = 8, .width = 8, .height = 1, .bitsPerPixel = 8}, 0, 0);
  EXPECT_EQ(DrawAsText(mono), ".....###\n");
  // Two bits a pixel packed four to a byte (0, 1, 2, 3), to 8 bits: 0, 85, 170, 255.
  const std::uint8_t packed[] = {0x1B};
  Glyph deep(4, 1, 8);
  deep.Stamp({.rows = packed, .pitch = 1, .width = 4, .height = 1, .bitsPerPixel = 2}, 0, 0);
  EXPECT_EQ(deep.Level(1, 0), 85);
  EXPECT_EQ(deep.Level(3, 0), 255);
  EXPECT_EQ(DrawRowAsText(deep, 0), ".-*@");
  const std::vector<Glyph> glyphs{deep};
  const PreviewImage image = DrawPreview(glyphs, {.scale = 1, .columns = 1});
  EXPECT_EQ(std::vector<std::uint8_t>(image.grey.begin() + 7, image.grey.begin() + 11),
            (std::vector<std::uint8_t>{255, 170, 85, 0}));
}

// 2 bits a pixel, a 5 x 3 cell: rows and columns end in part bytes, the fill
// dark (or all bits set, inverted); pages and tiles are refused with the reason.
TEST(LayOut, PacksLevelsFirstPixelHighOrLowAndRefusesOneBitScans) {
  Glyph glyph(5, 3, 2);
  for (int x = 0; x < 5; ++x) glyph.SetLevel(x, 0, x % 4);
  glyph.SetLevel(4, 2, 3);
  using enum Scan;
  EXPECT_EQ(LayOut(glyph, {Rows, BitOrder::MsbFirst, false}),
            (std::vector<std::uint8_t>{0x1B, 0x00, 0x00, 0x00, 0x00, 0xC0}));
  EXPECT_EQ(LayOut(glyph, {Rows, BitOrder::LsbFirst, false}),
            (std::vector<std::uint8_t>{0xE4, 0x00, 0x00, 0x00, 0x00, 0x03}));
  EXPECT_EQ(LayOut(glyph, {Columns, BitOrder::MsbFirst, true}),
            (std::vector<std::uint8_t>{0xFF, 0xBF, 0x7F, 0x3F, 0xF3}));
  EXPECT_EQ(LaidOutSize(5, 3, Columns, 2), 5u);
  EXPECT_EQ(LaidOutSize(5, 3, Rows, 8), 15u);
  EXPECT_EQ(LaidOutSize(9, 2, Rows, 4), 10u);
  for (const Scan scan : {Pages, Tiles}) {
    EXPECT_THROW(LayOut(glyph, {scan, BitOrder::MsbFirst, false}), LayoutError);
    EXPECT_THROW(LaidOutSize(5, 3, scan, 4), LayoutError);
    EXPECT_NE(LayoutProblem(scan, 8).find("1 bit a pixel"), std::string::npos);
    EXPECT_EQ(LayoutProblem(scan, 1), "");
  }
}

TEST(Sfnt, ScalesToTheNearestPixel) {
  EXPECT_EQ(sfnt::ScaleToPixels(56, 64, 16), 14);
  EXPECT_EQ(sfnt::ScaleToPixels(1160, 1000, 16), 19);  // 18.56
  EXPECT_EQ(sfnt::ScaleToPixels(859, 1000, 12), 10);   // 10.308
  EXPECT_EQ(sfnt::ScaleToPixels(1, 2, 1), 1);          // a half goes up
  EXPECT_EQ(sfnt::ScaleToPixels(-3, 2, 1), -1);        // -1.5
  EXPECT_EQ(sfnt::ScaleToPixels(-1000, 1000, 16), -16);
}

FontSource FileSource(const std::string& file, int face = 0) {
  FontSource source;
  source.file = file;
  source.shownAs = file;
  source.faceIndex = face;
  return source;
}

std::vector<std::uint8_t> ReadFile(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Font, UnifontIsTheDefaultAtSixteenPixels) {
  if (!std::filesystem::exists(kUnifont)) GTEST_SKIP() << "fonts-unifont is not installed";
  ASSERT_TRUE(FindDefaultFont());
  EXPECT_EQ(FindDefaultFont()->file, kUnifont);
  Font font = Font::Open(*FindDefaultFont(), {.pixelSize = kDefaultPixelSize});
  EXPECT_EQ(font.Family(), "Unifont");
  EXPECT_EQ(font.Style(), "Regular");
  EXPECT_EQ(font.Baseline(), 14);
  EXPECT_EQ(font.RuleOfBaseline(), BaselineRule::Ideographs);
  EXPECT_EQ(font.OutlineShift(), 0);
  EXPECT_EQ(font.CellWidth(Cell::Wide), 16);
  EXPECT_EQ(font.CellWidth(Cell::Narrow), 8);
  EXPECT_EQ(Font::Open(FileSource(kUnifont), {.pixelSize = 15}).CellWidth(Cell::Narrow), 8);
  // α has a two-byte code and an 8-pixel glyph: at the cell's left, the rest dark.
  const std::optional<DrawnGlyph> alpha = font.Draw(u'α', Cell::Wide);
  ASSERT_TRUE(alpha);
  EXPECT_EQ(DrawAsText(alpha->glyph).substr(17 * 6, 17 * 2),
            "..##..#.........\n"
            ".#..#.#.........\n");
  EXPECT_EQ(alpha->lost.Total(), 0);
  EXPECT_TRUE(font.Draw(u' ', Cell::Narrow)->Blank());
  for (const char16_t blank : {u' ', u'\u3000', u'\u200B', u'\uFEFF'})
    EXPECT_TRUE(IsBlankCharacter(blank));
  for (const char16_t ink : {u'!', u'\u2103', u'\u2010', u'\u3001'})
    EXPECT_FALSE(IsBlankCharacter(ink));
  EXPECT_FALSE(font.Draw(u'\uE000', Cell::Wide)) << "Unifont has no glyphs for private use";
  EXPECT_FALSE(font.Draw(u'\xD800', Cell::Wide)) << "a lone surrogate half";
  // A baseline given by hand two rows lower: 'g' loses the two bottom rows of
  // its descender, 2 and 4 pixels in unifont.hex.
  Font low = Font::Open(FileSource(kUnifont), {.baseline = 16});
  EXPECT_EQ(low.RuleOfBaseline(), BaselineRule::Given);
  EXPECT_EQ(low.Draw(u'g', Cell::Narrow)->lost, (LostPixels{.below = 6}));
}

// The face asked for, from a file or from the bytes a system hands over; its
// names from its own tables, which this library reads as FreeType finds them.
TEST(Font, OpensTheFaceAskedForOfACollection) {
  if (!std::filesystem::exists(kNotoCollection)) GTEST_SKIP() << "fonts-noto-cjk is not installed";
  const std::vector<std::uint8_t> bytes = ReadFile(kNotoCollection);
  ASSERT_EQ(sfnt::FaceCount(bytes), 10u);
  const auto names = sfnt::FindTable(bytes, 2, sfnt::Tag("name"));
  ASSERT_TRUE(names);
  EXPECT_EQ(sfnt::FamilyName(*names), "Noto Sans CJK SC");
  EXPECT_EQ(sfnt::StyleName(*names), "Regular");
  const auto base = sfnt::FindTable(bytes, 2, sfnt::Tag("BASE"));
  ASSERT_TRUE(base);
  const auto box = sfnt::ReadIdeographicEmBox(*base, 1000);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->top, 880);  // 'ideo' at -120, one em below
  EXPECT_EQ(box->bottom, -120);

  Font first = Font::Open(FileSource(kNotoCollection), {.pixelSize = 16});
  EXPECT_EQ(first.Family(), "Noto Sans CJK JP");
  FontSource handed;
  handed.bytes = bytes;
  handed.faceIndex = 2;
  handed.shownAs = "Noto Sans CJK SC";
  Font chinese = Font::Open(std::move(handed), {.pixelSize = 16});
  EXPECT_EQ(chinese.Family(), "Noto Sans CJK SC");
  EXPECT_EQ(chinese.Name(), "Noto Sans CJK SC");
  EXPECT_EQ(chinese.RuleOfBaseline(), BaselineRule::IdeographicEmBox);
  EXPECT_EQ(chinese.Baseline(), 14);  // 880 / 1000 of 16 px: 14.08
  EXPECT_EQ(chinese.OutlineShift(), 0) << "hinted, its ideographs fit as they are";
  // 骨 has its own Japanese form.
  EXPECT_NE(first.Draw(u'骨', Cell::Wide)->glyph, chinese.Draw(u'骨', Cell::Wide)->glyph);
  try {
    Font::Open(FileSource(kNotoCollection, 10));
    ADD_FAILURE() << "face 10 opened";
  } catch (const FontError& error) {
    EXPECT_NE(std::string(error.what()).find("has no face 10: it has 10 faces, numbered 0 to 9"),
              std::string::npos)
        << error.what();
  }
}

TEST(Font, RefusesOptionsOutOfRange) {
  const FontOptions refused[] = {
      {.pixelSize = 0},    {.pixelSize = -16},   {.pixelSize = kMaxPixelSize + 1},
      {.bitsPerPixel = 3}, {.bitsPerPixel = 16}, {.em = 0},
      {.em = 17},          {.baseline = -1},     {.baseline = 17}};
  for (const FontOptions& options : refused) {
    EXPECT_THROW(Font::Open(FileSource(kUnifont), options), FontError) << options.pixelSize;
  }
  EXPECT_THROW(Font::Open(FileSource(kUnifont, -1)), FontError);
}

// A font's bytes that are no font (too few, or of no known format) are
// refused in the words that a file of those bytes is.
TEST(Font, RefusesBytesThatAreNoFontAsAFileOfThem) {
  const std::vector<std::uint8_t> unifont = ReadFile(kUnifont);
  const std::string notAFont = "not a font";
  const std::vector<std::vector<std::uint8_t>> contents = {
      {},
      {notAFont.begin(), notAFont.end()},
      {unifont.begin(), unifont.begin() + 100},
      {unifont.begin(), unifont.begin() + 1000},
  };
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / "gbkhex-not-a-font.ttf";
  const auto refusal = [](FontSource source) {
    try {
      Font::Open(std::move(source));
    } catch (const FontError& error) {
      return std::string(error.what());
    }
    return std::string("opened");
  };
  for (const std::vector<std::uint8_t>& bytes : contents) {
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    FontSource fromFile = FileSource(file.string());
    fromFile.shownAs = "font.ttf";
    const FontSource fromBytes{.file = "", .bytes = bytes, .faceIndex = 0, .shownAs = "font.ttf"};
    EXPECT_EQ(refusal(fromBytes), refusal(fromFile)) << bytes.size() << " bytes";
  }
  std::filesystem::remove(file);
}

// Ink that fits its cell moves the fewest whole pixels on each axis; ink
// larger than the cell on either axis does not move at all.
TEST(Placement, MovesTheLeastWholePixelsThatBringTheInkInside) {
  struct Case {
    InkBox ink;
    std::optional<Move> move;
    Excess excess;
  };
  const Case cases[] = {
      {{.left = 0, .top = 0, .width = 16, .height = 16}, Move{}, {}},
      {{.left = 3, .top = -2, .width = 10, .height = 12}, Move{.down = 2}, {}},
      {{.left = 3, .top = 5, .width = 10, .height = 12}, Move{.down = -1}, {}},
      {{.left = -1, .top = 0, .width = 16, .height = 16}, Move{.right = 1}, {}},
      {{.left = 9, .top = 15, .width = 8, .height = 1}, Move{.right = -1}, {}},
      {{.left = -3, .top = 17, .width = 4, .height = 2}, Move{.right = 3, .down = -3}, {}},
      {{.left = 0, .top = -1, .width = 17, .height = 3}, std::nullopt, {.wider = 1}},
      {{.left = 2, .top = -1, .width = 3, .height = 18}, std::nullopt, {.taller = 2}},
      {{}, Move{}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LeastMove(c.ink, 16, 16), c.move) << c.ink.left << "," << c.ink.top;
    const Excess excess = ExcessOver(c.ink, 16, 16);
    EXPECT_EQ(std::pair(excess.wider, excess.taller), std::pair(c.excess.wider, c.excess.taller));
  }
  EXPECT_EQ(EmBoxTop(16, 13), 1);
}

// The ink box of a drawing is the box of what stamping it lights, at every
// depth of bitmap and cell: faint coverage that rounds to dark is no ink.
TEST(Placement, FindsTheInkThatStampingWouldLight) {
  std::mt19937 random(29);
  for (const int bitmapBits : {1, 2, 4, 8}) {
    for (const int cellBits : {1, 2, 4, 8}) {
      for (int trial = 0; trial < 50; ++trial) {
        const int width = 1 + static_cast<int>(random() % 13);
        const int height = 1 + static_cast<int>(random() % 13);
        const int pitch = (width * bitmapBits + 7) / 8 + 1;
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(pitch * height));
        // Mostly dark, so that boxes of every size come up, the padding included.
        for (std::uint8_t& byte : bytes) byte = random() % 4 == 0 ? random() & random() : 0;
        const CoverageBitmap bitmap{.rows = bytes.data(),
                                    .pitch = pitch,
                                    .width = width,
                                    .height = height,
                                    .bitsPerPixel = bitmapBits};
        Glyph stamped(width, height, cellBits);
        stamped.Stamp(bitmap, 0, 0);
        InkBox lit{.left = width, .top = height};
        int right = -1;
        int bottom = -1;
        for (int y = 0; y < height; ++y) {
          for (int x = 0; x < width; ++x) {
            if (!stamped.Lit(x, y)) continue;
            lit.left = std::min(lit.left, x);
            lit.top = std::min(lit.top, y);
            right = std::max(right, x);
            bottom = std::max(bottom, y);
          }
        }
        const InkBox expected = right < 0 ? InkBox{}
                                          : InkBox{.left = lit.left,
                                                   .top = lit.top,
                                                   .width = right - lit.left + 1,
                                                   .height = bottom - lit.top + 1};
        EXPECT_EQ(LitBox(bitmap, cellBits), expected) << bitmapBits << " to " << cellBits;
      }
    }
  }
}

// Unifont's 'g' on a baseline two rows low moves up whole; at an em of 12 in
// cells 16 high its em box lies 2 rows down; box drawing is cut, not moved.
TEST(Font, MovesAGlyphIntoItsCellAndDrawsAtAnotherEm) {
  if (!std::filesystem::exists(kUnifont)) GTEST_SKIP() << "fonts-unifont is not installed";
  Font placed = Font::Open(FileSource(kUnifont), {.moveIntoCell = true, .baseline = 16});
  const std::optional<DrawnGlyph> g = placed.Draw(u'g', Cell::Narrow);
  ASSERT_TRUE(g);
  EXPECT_EQ(g->lost.Total(), 0);
  EXPECT_EQ(g->moved, (Move{.down = -2}));
  Font atSize = Font::Open(FileSource(kUnifont), {});
  EXPECT_EQ(g->glyph, atSize.Draw(u'g', Cell::Narrow)->glyph) << "Unifont's g fills its cell";
  Font small = Font::Open(FileSource(kUnifont), {.em = 12, .moveIntoCell = true});
  EXPECT_EQ(small.Em(), 12);
  EXPECT_EQ(small.Baseline(), 2 + Font::Open(FileSource(kUnifont), {.pixelSize = 12}).Baseline());
  EXPECT_EQ(small.CellWidth(Cell::Wide), 16);
  const std::optional<DrawnGlyph> line = placed.Draw(u'\u2502', Cell::Wide);
  ASSERT_TRUE(line);
  EXPECT_TRUE(line->cutOnPurpose);
  EXPECT_TRUE(line->moved.None());
  EXPECT_FALSE(line->LostInk());
}

// Tables cut short or pointing outside themselves read as absent; a BASE that
// states a box without the baseline is no em box.
TEST(Sfnt, ReadsNothingPastATablesEnd) {
  // BASE 1.0: the horizontal axis at 8, its tag list ('ideo', 'romn') at 4 and
  // script list at 14 from there; 'hani' with its values: 'ideo' -120, 'romn' 0.
  std::vector<std::uint8_t> base = {
      0, 1, 0,    0,    0,   8,   0,   0,              // header
      0, 4, 0,    14,                                  // axis
      0, 2, 'i',  'd',  'e', 'o', 'r', 'o', 'm', 'n',  // tags
      0, 1, 'h',  'a',  'n', 'i', 0,   8,              // scripts
      0, 6, 0,    0,    0,   0,                        // BaseScript: values at 6
      0, 0, 0,    2,    0,   8,   0,   12,             // BaseValues: two coordinates
      0, 1, 0xFF, 0x88, 0,   1,   0,   0};             // BaseCoord -120, 0
  const auto box = sfnt::ReadIdeographicEmBox(base, 1000);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->top, 880);
  // Cut anywhere before the end of the 'ideo' coordinate.
  for (std::size_t size = 0; size < 48; ++size) {
    const std::vector<std::uint8_t> cut(base.begin(), base.begin() + size);
    EXPECT_FALSE(sfnt::ReadIdeographicEmBox(cut, 1000)) << size;
  }
  base[base.size() - 6] = 0x00;  // 'ideo' at +136: above the baseline
  base[base.size() - 5] = 0x88;
  EXPECT_FALSE(sfnt::ReadIdeographicEmBox(base, 1000));
  EXPECT_EQ(sfnt::FaceCount(
                std::vector<std::uint8_t>{'t', 't', 'c', 'f', 0, 1, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}),
            0u);
  EXPECT_FALSE(sfnt::ReadAscenderAndDescender({}, {}));
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
