#include "glyphs/font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BBOX_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <span>
#include <vector>

#include "convert/gbk_codec.h"
#include "glyphs/sfnt.h"
#include "i18n/messages.h"

#ifdef _WIN32
#include <fstream>
#endif

namespace gbkhex::glyphs {
namespace {

using i18n::Fill;
using i18n::Tr;
using i18n::TrN;

struct LibraryDone {
  void operator()(FT_Library library) const noexcept { FT_Done_FreeType(library); }
};
using LibraryPointer = std::unique_ptr<FT_LibraryRec_, LibraryDone>;
struct FaceDone {
  void operator()(FT_Face face) const noexcept { FT_Done_Face(face); }
};
using FacePointer = std::unique_ptr<FT_FaceRec_, FaceDone>;

std::string Reason(FT_Error error) {
  if (const char* text = FT_Error_String(error)) return text;
  return Fill(Tr("FreeType error %s"), {std::to_string(error)});
}

[[noreturn]] void FailToDraw(const std::string& font, char16_t character,
                             const std::string& reason) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(character));
  throw FontError(Fill(Tr("cannot draw %s with font '%s': %s"), {code, font, reason}));
}

#ifdef _WIN32
// FreeType opens a file by its name in the ANSI code page on Windows, which
// cannot hold every UTF-8 name: the font is read here and drawn from memory.
std::vector<std::uint8_t> ReadFontFile(const std::string& font) {
  const std::filesystem::path path(std::u8string(font.begin(), font.end()));
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  if (error) throw FontError(Fill(Tr("cannot open font '%s': %s"), {font, error.message()}));
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  std::ifstream in(path, std::ios::binary);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!in) throw FontError(Fill(Tr("cannot read font '%s'"), {font}));
  return bytes;
}
#else
struct FileClose {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

// Fails with the system's reason where the file cannot be read at all, which
// FreeType would report only as an unreadable resource.
void CheckReadable(const std::string& font) {
  errno = 0;
  const std::unique_ptr<std::FILE, FileClose> file(std::fopen(font.c_str(), "rb"));
  if (file) {
    char byte;
    if (std::fread(&byte, 1, 1, file.get()) == 1 || !std::ferror(file.get())) return;
  }
  throw FontError(Fill(Tr("cannot open font '%s': %s"), {font, i18n::SystemErrorText(errno)}));
}
#endif

std::vector<std::uint8_t> LoadTable(FT_Face face, std::uint32_t tag) {
  if (!FT_IS_SFNT(face)) return {};
  FT_ULong length = 0;
  if (FT_Load_Sfnt_Table(face, tag, 0, nullptr, &length) != 0) return {};
  std::vector<std::uint8_t> table(length);
  if (FT_Load_Sfnt_Table(face, tag, 0, table.data(), &length) != 0) return {};
  return table;
}

int RoundedPixels(FT_Pos value) { return static_cast<int>((value + 32) >> 6); }

// A hundred of GB 2312's 3,755 common hanzi, spread over all of them: three
// from each of its first 40 rows.
std::vector<char16_t> SampleIdeographs() {
  std::vector<char16_t> sample;
  for (unsigned lead = 0xB0; lead <= 0xD7; ++lead) {
    for (const unsigned trail : {0xA1u, 0xC1u, 0xE1u}) {
      if (const auto unit = GbkDecoder().Decode(static_cast<std::uint16_t>(lead << 8 | trail))) {
        sample.push_back(*unit);
      }
    }
  }
  return sample;
}

// Fewer of the sample than this, and the font's ideographs are too few to
// stand for its design.
constexpr std::size_t kMinIdeographs = 16;

int Median(std::vector<int>& values) {
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// The medians of the tops and bottoms that `measure` reads from the sample's
// ideographs, each loaded with `loadFlags` (it gives nothing for a glyph that
// it cannot measure); nothing when the font has too few of them.
template <class Measure>
std::optional<sfnt::VerticalExtent> SampleExtent(FT_Face face, FT_Int32 loadFlags,
                                                 Measure measure) {
  std::vector<int> bottoms;
  std::vector<int> tops;
  for (const char16_t ideograph : SampleIdeographs()) {
    const FT_UInt index = FT_Get_Char_Index(face, ideograph);
    if (index == 0 || FT_Load_Glyph(face, index, loadFlags) != 0) continue;
    if (const std::optional<sfnt::VerticalExtent> extent = measure(face->glyph)) {
      tops.push_back(extent->top);
      bottoms.push_back(extent->bottom);
    }
  }
  if (bottoms.size() < kMinIdeographs) return std::nullopt;
  return sfnt::VerticalExtent{Median(tops), Median(bottoms)};
}

// Of the outline boxes, in font units.
std::optional<sfnt::VerticalExtent> IdeographExtent(FT_Face face) {
  return SampleExtent(
      face, FT_LOAD_NO_SCALE, [](FT_GlyphSlot slot) -> std::optional<sfnt::VerticalExtent> {
        FT_BBox box;
        if (slot->format != FT_GLYPH_FORMAT_OUTLINE || slot->outline.n_points == 0 ||
            FT_Outline_Get_BBox(&slot->outline, &box) != 0) {
          return std::nullopt;
        }
        return sfnt::VerticalExtent{static_cast<int>(box.yMax), static_cast<int>(box.yMin)};
      });
}

// Of a bitmap font's strike, in rows above the baseline.
std::optional<sfnt::VerticalExtent> IdeographRows(FT_Face face) {
  return SampleExtent(
      face, FT_LOAD_DEFAULT, [](FT_GlyphSlot slot) -> std::optional<sfnt::VerticalExtent> {
        if (slot->format != FT_GLYPH_FORMAT_BITMAP || slot->bitmap.rows == 0) {
          return std::nullopt;
        }
        return sfnt::VerticalExtent{slot->bitmap_top,
                                    slot->bitmap_top - static_cast<int>(slot->bitmap.rows)};
      });
}

struct EmPlacement {
  int twiceTop = 0;  // the em box's top above the baseline, in halves of a font unit
  int unitsPerEm = 0;
  BaselineRule rule = BaselineRule::Given;
};

// Where a scalable font's em box lies: as its BASE table states, else centred
// on its ideographs, else on its ascender and descender.
std::optional<EmPlacement> PlaceEmBox(FT_Face face) {
  const std::optional<int> headUnits = sfnt::UnitsPerEm(LoadTable(face, sfnt::Tag("head")));
  const int unitsPerEm = headUnits ? *headUnits : face->units_per_EM;
  if (unitsPerEm <= 0) return std::nullopt;
  if (const auto box = sfnt::ReadIdeographicEmBox(LoadTable(face, sfnt::Tag("BASE")), unitsPerEm)) {
    return EmPlacement{2 * box->top, unitsPerEm, BaselineRule::IdeographicEmBox};
  }
  const auto centred = [&](const sfnt::VerticalExtent& extent, BaselineRule rule) {
    return EmPlacement{extent.top + extent.bottom + unitsPerEm, unitsPerEm, rule};
  };
  if (const auto ideographs = IdeographExtent(face)) {
    return centred(*ideographs, BaselineRule::Ideographs);
  }
  if (const auto metrics = sfnt::ReadAscenderAndDescender(LoadTable(face, sfnt::Tag("hhea")),
                                                          LoadTable(face, sfnt::Tag("OS/2")))) {
    return centred(*metrics, BaselineRule::AscenderDescender);
  }
  if (face->ascender > face->descender) {
    return centred({face->ascender, face->descender}, BaselineRule::AscenderDescender);
  }
  return std::nullopt;
}

// At most this far, in 64ths of a pixel, outlines are moved to put the em box
// on the cell: half a pixel would put edges that hinting laid on whole pixels
// onto pixel centres, where they could light a row more or less.
constexpr int kMaxOutlineShift = 31;

int OutlineShiftToEmBox(int baseline, int emTop) {
  return std::clamp(64 * baseline - emTop, -kMaxOutlineShift, kMaxOutlineShift);
}

std::string StrikeSizes(FT_Face face) {
  std::string sizes;
  for (int i = 0; i < face->num_fixed_sizes; ++i) {
    sizes += (sizes.empty() ? "" : ", ") +
             std::to_string(RoundedPixels(face->available_sizes[i].y_ppem));
  }
  return sizes.empty() ? std::string(Tr("none")) : sizes;
}

void FailToSetSize(const std::string& font, int pixelSize, FT_Error error) {
  throw FontError(Fill(Tr("cannot set font '%s' to %s px: %s"),
                       {font, std::to_string(pixelSize), Reason(error)}));
}

// A bitmap font's strike of `pixelSize` pixels to the em; its glyphs would not
// fit cells of any other height.
void SelectStrike(FT_Face face, const std::string& font, int pixelSize) {
  const std::span<const FT_Bitmap_Size> strikes(face->available_sizes,
                                                static_cast<std::size_t>(face->num_fixed_sizes));
  const auto chosen = std::find_if(
      strikes.begin(), strikes.end(),
      [&](const FT_Bitmap_Size& strike) { return RoundedPixels(strike.y_ppem) == pixelSize; });
  if (chosen == strikes.end()) {
    throw FontError(Fill(Tr("font '%s' has no %s px size (its sizes: %s)"),
                         {font, std::to_string(pixelSize), StrikeSizes(face)}));
  }
  if (const FT_Error error = FT_Select_Size(face, static_cast<FT_Int>(chosen - strikes.begin()))) {
    FailToSetSize(font, pixelSize, error);
  }
}

void CheckOptions(const FontOptions& options) {
  if (options.pixelSize < kMinPixelSize || options.pixelSize > kMaxPixelSize) {
    throw FontError(Fill(Tr("font size %s px is out of range (%s to %s)"),
                         {std::to_string(options.pixelSize), std::to_string(kMinPixelSize),
                          std::to_string(kMaxPixelSize)}));
  }
  if (!IsBitsPerPixel(options.bitsPerPixel)) {
    throw FontError(Fill(Tr("%s bits a pixel: glyphs have 1, 2, 4 or 8 bits a pixel"),
                         {std::to_string(options.bitsPerPixel)}));
  }
  if (options.em && (*options.em < kMinPixelSize || *options.em > options.pixelSize)) {
    throw FontError(Fill(Tr("an em of %1$s px does not fit cells %2$s px high (1 to %2$s)"),
                         {std::to_string(*options.em), std::to_string(options.pixelSize)}));
  }
  if (options.baseline && (*options.baseline < 0 || *options.baseline > options.pixelSize)) {
    throw FontError(Fill(Tr("a baseline %1$s rows below the cell's top lies outside a cell of "
                            "%2$s rows (0 to %2$s)"),
                         {std::to_string(*options.baseline), std::to_string(options.pixelSize)}));
  }
}

// The bits a pixel of FreeType's bitmap formats that hold coverage.
std::optional<int> CoverageBits(const FT_Bitmap& bitmap) {
  switch (bitmap.pixel_mode) {
    case FT_PIXEL_MODE_MONO:
      return 1;
    case FT_PIXEL_MODE_GRAY2:
      return 2;
    case FT_PIXEL_MODE_GRAY4:
      return 4;
    case FT_PIXEL_MODE_GRAY:
      return 8;
    default:
      return std::nullopt;
  }
}

}  // namespace

struct Font::Face {
  LibraryPointer library;           // outlives the face
  std::vector<std::uint8_t> bytes;  // the font, where FreeType reads it from memory
  FacePointer face;
  FT_Int32 loadFlags = FT_LOAD_TARGET_MONO;
  FT_Render_Mode renderMode = FT_RENDER_MODE_MONO;
};

namespace {

FacePointer NewFace(FT_Library library, const FontSource& source, std::vector<std::uint8_t>& bytes,
                    FT_Long faceIndex, FT_Error& error) {
  FT_Face face = nullptr;
  if (bytes.empty() && !source.file.empty()) {
    error = FT_New_Face(library, source.file.c_str(), faceIndex, &face);
  } else {
    error = FT_New_Memory_Face(library, bytes.data(), static_cast<FT_Long>(bytes.size()), faceIndex,
                               &face);
  }
  return FacePointer(error ? nullptr : face);
}

[[noreturn]] void FailToOpen(FT_Library library, const FontSource& source,
                             std::vector<std::uint8_t>& bytes, FT_Error error) {
  const std::string& font = source.shownAs;
  // No bytes, or too few for any format's header: FreeType's memory stream
  // refuses them, where its file stream finds no known format.
  const bool fromMemory = !bytes.empty() || source.file.empty();
  if (error == FT_Err_Unknown_File_Format ||
      (fromMemory && (bytes.empty() || error == FT_Err_Invalid_Stream_Operation))) {
    throw FontError(
        Fill(Tr("'%s' is not a font file (TrueType, OpenType, TTC, BDF or PCF)"), {font}));
  }
  // A face number past the last one: the file can tell how many it has.
  FT_Error countError = 0;
  if (source.faceIndex > 0) {
    if (const FacePointer first = NewFace(library, source, bytes, 0, countError)) {
      const FT_Long count = first->num_faces;
      if (source.faceIndex >= count) {
        const auto faces = static_cast<std::uint64_t>(count);
        throw FontError(
            Fill(TrN("font '%s' has no face %s: it has %s face, numbered 0",
                     "font '%s' has no face %s: it has %s faces, numbered 0 to %s", faces),
                 {font, std::to_string(source.faceIndex), std::to_string(count),
                  std::to_string(count - 1)}));
      }
    }
  }
  throw FontError(Fill(Tr("cannot read font '%s': %s"), {font, Reason(error)}));
}

}  // namespace

Cell CellFor(char16_t character) noexcept {
  return GbkEncoder::CodeOf(character) > 0xFF ? Cell::Wide : Cell::Narrow;
}

bool IsBlankCharacter(char16_t c) noexcept {
  return c == u' ' || c == u'\u00A0' || c == u'\u1680' || (c >= u'\u2000' && c <= u'\u200F') ||
         (c >= u'\u2028' && c <= u'\u202F') || (c >= u'\u205F' && c <= u'\u2064') ||
         c == u'\u3000' || c == u'\uFEFF';
}

Font::Font(std::unique_ptr<Face> face, const FontOptions& options)
    : face_(std::move(face)),
      pixelSize_(options.pixelSize),
      em_(options.em.value_or(options.pixelSize)),
      bitsPerPixel_(options.bitsPerPixel) {}

Font::Font(Font&&) noexcept = default;
Font& Font::operator=(Font&&) noexcept = default;
Font::~Font() = default;

Font Font::Open(FontSource source, const FontOptions& options) {
  CheckOptions(options);
  const std::string& shown = source.shownAs;
  if (source.faceIndex < 0) {
    throw FontError(Fill(Tr("font '%s' has no face %s: faces are numbered from 0"),
                         {shown, std::to_string(source.faceIndex)}));
  }
  auto face = std::make_unique<Face>();
  FT_Library library = nullptr;
  if (const FT_Error error = FT_Init_FreeType(&library)) {
    throw FontError(Fill(Tr("cannot start FreeType: %s"), {Reason(error)}));
  }
  face->library.reset(library);
  face->bytes = std::move(source.bytes);
  if (face->bytes.empty() && !source.file.empty()) {
#ifdef _WIN32
    face->bytes = ReadFontFile(source.file);
#else
    CheckReadable(source.file);
#endif
  }
  FT_Error error = 0;
  face->face = NewFace(library, source, face->bytes, source.faceIndex, error);
  if (!face->face) FailToOpen(library, source, face->bytes, error);
  const FT_Face ft = face->face.get();
  if (FT_Select_Charmap(ft, FT_ENCODING_UNICODE) != 0) {
    throw FontError(Fill(Tr("font '%s' has no Unicode character map"), {shown}));
  }
  if (options.bitsPerPixel > 1) {
    face->loadFlags = FT_LOAD_TARGET_NORMAL;
    face->renderMode = FT_RENDER_MODE_NORMAL;
  }

  Font font(std::move(face), options);
  font.name_ = shown;
  font.faceIndex_ = source.faceIndex;
  const std::vector<std::uint8_t> names = LoadTable(ft, sfnt::Tag("name"));
  font.family_ = sfnt::FamilyName(names);
  if (font.family_.empty() && ft->family_name) font.family_ = ft->family_name;
  font.style_ = sfnt::StyleName(names);
  if (font.style_.empty() && ft->style_name) font.style_ = ft->style_name;
  font.monospaced_ = FT_IS_FIXED_WIDTH(ft);
  const int em = font.em_;
  const int emTop = EmBoxTop(options.pixelSize, em);

  if (FT_IS_SCALABLE(ft)) {
    const std::optional<EmPlacement> box = PlaceEmBox(ft);
    if (!box) throw FontError(Fill(Tr("font '%s' has no vertical metrics"), {shown}));
    if (const FT_Error sizeError = FT_Set_Pixel_Sizes(ft, 0, static_cast<FT_UInt>(em))) {
      FailToSetSize(shown, em, sizeError);
    }
    // The em box's top in 64ths of a pixel, and the whole rows nearest to it.
    const int top = sfnt::ScaleToPixels(box->twiceTop, 2 * box->unitsPerEm, 64 * em);
    const int baselineInEm = sfnt::ScaleToPixels(top, 64, 1);
    font.baseline_ = emTop + baselineInEm;
    font.rule_ = box->rule;
    if (options.bitsPerPixel == 1 && !options.baseline) {
      font.MoveOutlinesWhereTheyFitBetter(OutlineShiftToEmBox(baselineInEm, top));
    }
  } else {
    SelectStrike(ft, shown, em);
    if (const auto ideographs = IdeographRows(ft)) {
      // The em box centred on them, halves of a row downwards.
      font.baseline_ = emTop + sfnt::ScaleToPixels(ideographs->top + ideographs->bottom + em, 2, 1);
      font.rule_ = BaselineRule::Ideographs;
    } else {
      font.baseline_ = emTop + RoundedPixels(ft->size->metrics.ascender);
      font.rule_ = BaselineRule::BitmapFont;
    }
  }
  if (options.baseline) {
    font.baseline_ = *options.baseline;
    font.rule_ = BaselineRule::Given;
  }
  font.moveIntoCell_ = options.moveIntoCell;
  return font;
}

int Font::PixelsLostFromSample() {
  int lost = 0;
  for (const char16_t ideograph : SampleIdeographs()) {
    if (const std::optional<DrawnGlyph> drawn = Draw(ideograph, Cell::Wide)) {
      lost += drawn->lost.Total();
    }
  }
  return lost;
}

void Font::MoveOutlinesWhereTheyFitBetter(int shift) {
  if (shift == 0) return;
  const int unmoved = PixelsLostFromSample();
  outlineShift_ = shift;
  if (PixelsLostFromSample() >= unmoved) outlineShift_ = 0;
}

std::optional<DrawnGlyph> Font::Draw(char16_t character, Cell cell) {
  const FT_Face ft = face_->face.get();
  const FT_UInt index = FT_Get_Char_Index(ft, character);
  if (index == 0) return std::nullopt;
  if (const FT_Error error = FT_Load_Glyph(ft, index, face_->loadFlags)) {
    FailToDraw(name_, character, Reason(error));
  }
  const FT_GlyphSlot slot = ft->glyph;
  if (slot->format != FT_GLYPH_FORMAT_BITMAP) {
    if (outlineShift_ != 0 && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      FT_Outline_Translate(&slot->outline, 0, outlineShift_);
    }
    if (const FT_Error error = FT_Render_Glyph(slot, face_->renderMode)) {
      FailToDraw(name_, character, Reason(error));
    }
  }
  const FT_Bitmap& bitmap = slot->bitmap;
  const std::optional<int> bits = CoverageBits(bitmap);
  if (!bits) {
    FailToDraw(name_, character, std::string(Tr("its bitmap is in colour, not in grey levels")));
  }
  // A negative pitch keeps the rows bottom up in memory.
  const std::ptrdiff_t pitch = bitmap.pitch;
  const std::uint8_t* top =
      pitch < 0 ? bitmap.buffer - pitch * (static_cast<std::ptrdiff_t>(bitmap.rows) - 1)
                : bitmap.buffer;
  const CoverageBitmap coverage{.rows = top,
                                .pitch = pitch,
                                .width = static_cast<int>(bitmap.width),
                                .height = static_cast<int>(bitmap.rows),
                                .bitsPerPixel = *bits};
  DrawnGlyph drawn{.glyph = Glyph(CellWidth(cell), pixelSize_, bitsPerPixel_),
                   .lost = {},
                   .moved = {},
                   .excess = {}};
  const int left = slot->bitmap_left;
  const int down = baseline_ - slot->bitmap_top;
  if (moveIntoCell_) {
    drawn.cutOnPurpose = IsBoxDrawing(character);
    const InkBox ink = InkAt(coverage, left, down);
    drawn.excess = ExcessOver(ink, drawn.glyph.Width(), drawn.glyph.Height());
    if (!drawn.cutOnPurpose) {
      drawn.moved = LeastMove(ink, drawn.glyph.Width(), drawn.glyph.Height()).value_or(Move{});
    }
  }
  drawn.lost = drawn.glyph.Stamp(coverage, left + drawn.moved.right, down + drawn.moved.down);
  return drawn;
}

InkBox Font::InkAt(const CoverageBitmap& coverage, int left, int top) const {
  // At the cell's levels, so that a coverage too faint for them is no ink.
  InkBox ink = LitBox(coverage, bitsPerPixel_);
  if (ink.Empty()) return {};
  ink.left += left;
  ink.top += top;
  return ink;
}

std::optional<EmShare> Font::OutlineShare(char16_t character) {
  const FT_Face ft = face_->face.get();
  if (!FT_IS_SCALABLE(ft) || ft->units_per_EM == 0) return std::nullopt;
  const FT_UInt index = FT_Get_Char_Index(ft, character);
  if (index == 0 || FT_Load_Glyph(ft, index, FT_LOAD_NO_SCALE) != 0) return std::nullopt;
  const double units = ft->units_per_EM;
  return EmShare{.width = static_cast<double>(ft->glyph->metrics.width) / units,
                 .height = static_cast<double>(ft->glyph->metrics.height) / units};
}

#ifdef _WIN32
std::optional<FontSource> FindDefaultFont() {
  try {
    return FindInstalledFont("Unifont");
  } catch (const FontError&) {
    return std::nullopt;
  }
}

std::string_view DefaultFontLocation() noexcept { return Tr("an installed font named Unifont"); }
#else
namespace {
constexpr const char* kDefaultFontFile = "/usr/share/fonts/opentype/unifont/unifont.otf";
}

std::optional<FontSource> FindDefaultFont() {
  std::error_code error;
  if (!std::filesystem::is_regular_file(kDefaultFontFile, error)) return std::nullopt;
  FontSource source;
  source.file = kDefaultFontFile;
  source.shownAs = kDefaultFontFile;
  return source;
}

std::string_view DefaultFontLocation() noexcept {
  return i18n::Tr("/usr/share/fonts/opentype/unifont/unifont.otf (Debian package fonts-unifont)");
}
#endif

}  // namespace gbkhex::glyphs
