// Fonts through FreeType: every format it reads, 1-bit rendering with the
// hinting made for it.

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "glyphs/font.h"
#include "glyphs/rasterizer.h"
#include "glyphs/sfnt.h"

#ifdef _WIN32
#include "platform/win32/wide_text.h"
#endif

namespace gbkhex::glyphs::detail {
namespace {

constexpr const char* kDefaultFontFile = "/usr/share/fonts/opentype/unifont/unifont.otf";

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
  return "FreeType error " + std::to_string(error);
}

struct FileClose {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

std::FILE* OpenForReading(const std::string& font) {
#ifdef _WIN32
  // Narrow file names are in the ANSI code page there, not in UTF-8.
  const std::optional<std::wstring> wide = win32::WideFromUtf8(font);
  if (!wide) {
    errno = EINVAL;
    return nullptr;
  }
  return _wfopen(wide->c_str(), L"rb");
#else
  return std::fopen(font.c_str(), "rb");
#endif
}

// The whole font file, which FreeType reads from memory: its own file
// functions take narrow names, which on Windows cannot name every file. Fails
// with the system's reason, which FreeType would report only as an unreadable
// resource.
std::vector<std::uint8_t> ReadFontFile(const std::string& font) {
  errno = 0;
  const std::unique_ptr<std::FILE, FileClose> file(OpenForReading(font));
  if (file) {
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[1 << 16];
    while (const std::size_t got = std::fread(chunk, 1, sizeof chunk, file.get())) {
      bytes.insert(bytes.end(), chunk, chunk + got);
    }
    if (!std::ferror(file.get())) return bytes;
  }
  throw FontError("cannot open font " + Quoted(font) + ": " + std::strerror(errno));
}

std::vector<std::uint8_t> LoadTable(FT_Face face, std::uint32_t tag) {
  FT_ULong length = 0;
  if (FT_Load_Sfnt_Table(face, tag, 0, nullptr, &length) != 0) return {};
  std::vector<std::uint8_t> table(length);
  if (FT_Load_Sfnt_Table(face, tag, 0, table.data(), &length) != 0) return {};
  return table;
}

std::string Family(FT_Face face) {
  if (FT_IS_SFNT(face)) {
    std::string family = sfnt::FamilyName(LoadTable(face, sfnt::Tag("name")));
    if (!family.empty()) return family;
  }
  return face->family_name ? face->family_name : "";
}

[[noreturn]] void FailToSetSize(const std::string& font, int pixelSize, FT_Error error) {
  throw FontError("cannot set font " + Quoted(font) + " to " + std::to_string(pixelSize) +
                  " px: " + Reason(error));
}

// Scalable fonts: the em is `pixelSize` pixels, the ascender read from the
// font's tables as on every platform.
int SetScalableSize(FT_Face face, const std::string& font, int pixelSize) {
  const FT_Error error = FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize));
  if (error) FailToSetSize(font, pixelSize, error);
  if (FT_IS_SFNT(face)) {
    const auto metrics = sfnt::ReadVerticalMetrics(LoadTable(face, sfnt::Tag("head")),
                                                   LoadTable(face, sfnt::Tag("hhea")),
                                                   LoadTable(face, sfnt::Tag("OS/2")));
    if (!metrics) throw FontError("font " + Quoted(font) + " has no vertical metrics");
    return sfnt::ScaleToPixels(metrics->ascender, metrics->unitsPerEm, pixelSize);
  }
  return sfnt::ScaleToPixels(face->ascender, face->units_per_EM, pixelSize);
}

int RoundedPixels(FT_Pos value) { return static_cast<int>((value + 32) >> 6); }

// Bitmap fonts (BDF, PCF, bitmap-only sfnt): the strike of `pixelSize` pixels
// to the em, else the one of that height; its own ascender.
int SelectStrike(FT_Face face, const std::string& font, int pixelSize) {
  const std::span<const FT_Bitmap_Size> strikes(face->available_sizes,
                                                static_cast<std::size_t>(face->num_fixed_sizes));
  auto chosen = std::find_if(strikes.begin(), strikes.end(), [&](const FT_Bitmap_Size& strike) {
    return RoundedPixels(strike.y_ppem) == pixelSize;
  });
  if (chosen == strikes.end()) {
    chosen = std::find_if(strikes.begin(), strikes.end(),
                          [&](const FT_Bitmap_Size& strike) { return strike.height == pixelSize; });
  }
  if (chosen == strikes.end()) {
    std::string sizes;
    for (const FT_Bitmap_Size& strike : strikes) {
      sizes += (sizes.empty() ? "" : ", ") + std::to_string(RoundedPixels(strike.y_ppem));
    }
    throw FontError("font " + Quoted(font) + " has no " + std::to_string(pixelSize) +
                    " px size (its sizes: " + (sizes.empty() ? "none" : sizes) + ")");
  }
  const FT_Error error = FT_Select_Size(face, static_cast<FT_Int>(chosen - strikes.begin()));
  if (error) FailToSetSize(font, pixelSize, error);
  return RoundedPixels(face->size->metrics.ascender);
}

class FreeTypeRasterizer final : public Rasterizer {
 public:
  FreeTypeRasterizer(std::string font, LibraryPointer library, std::vector<std::uint8_t> file,
                     FacePointer face)
      : font_(std::move(font)),
        library_(std::move(library)),
        file_(std::move(file)),
        face_(std::move(face)) {}

  bool Draw(char16_t character, int ascender, Glyph& cell) override {
    const FT_UInt index = FT_Get_Char_Index(face_.get(), character);
    if (index == 0) return false;
    const FT_Error error = FT_Load_Glyph(face_.get(), index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO);
    if (error) FailToDraw(font_, character, Reason(error));
    const FT_GlyphSlot slot = face_->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    // Outlines are rendered 1 bit a pixel; an embedded bitmap comes as it is
    // stored, which for a few fonts is in grey levels.
    if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO) {
      FailToDraw(font_, character, "its bitmap at this size has grey levels, not 1 bit a pixel");
    }
    // A negative pitch keeps the rows bottom up in memory.
    const std::ptrdiff_t pitch = bitmap.pitch;
    const std::uint8_t* top =
        pitch < 0 ? bitmap.buffer - pitch * (static_cast<std::ptrdiff_t>(bitmap.rows) - 1)
                  : bitmap.buffer;
    cell.Stamp(top, pitch, static_cast<int>(bitmap.width), static_cast<int>(bitmap.rows),
               slot->bitmap_left, ascender - slot->bitmap_top);
    return true;
  }

 private:
  std::string font_;
  LibraryPointer library_;          // outlives the face
  std::vector<std::uint8_t> file_;  // outlives the face, which reads it
  FacePointer face_;
};

}  // namespace

OpenedFont OpenPlatformFont(const std::string& font, int pixelSize) {
  std::vector<std::uint8_t> file = ReadFontFile(font);
  FT_Library rawLibrary = nullptr;
  if (const FT_Error error = FT_Init_FreeType(&rawLibrary)) {
    throw FontError("cannot start FreeType: " + Reason(error));
  }
  LibraryPointer library(rawLibrary);
  FT_Face rawFace = nullptr;
  if (const FT_Error error = FT_New_Memory_Face(library.get(), file.data(),
                                                static_cast<FT_Long>(file.size()), 0, &rawFace)) {
    if (error == FT_Err_Unknown_File_Format) {
      throw FontError(Quoted(font) + " is not a font file (TrueType, OpenType, TTC, BDF or PCF)");
    }
    throw FontError("cannot read font " + Quoted(font) + ": " + Reason(error));
  }
  FacePointer face(rawFace);
  if (FT_Select_Charmap(face.get(), FT_ENCODING_UNICODE) != 0) {
    throw FontError("font " + Quoted(font) + " has no Unicode character map");
  }
  OpenedFont opened;
  opened.ascender = FT_IS_SCALABLE(face) ? SetScalableSize(face.get(), font, pixelSize)
                                         : SelectStrike(face.get(), font, pixelSize);
  opened.family = Family(face.get());
  opened.rasterizer = std::make_unique<FreeTypeRasterizer>(font, std::move(library),
                                                           std::move(file), std::move(face));
  return opened;
}

std::optional<std::string> FindPlatformDefaultFont() {
  std::error_code error;
  if (std::filesystem::is_regular_file(kDefaultFontFile, error)) return kDefaultFontFile;
  return std::nullopt;
}

std::string_view PlatformDefaultFontLocation() noexcept {
  return "/usr/share/fonts/opentype/unifont/unifont.otf (Debian package fonts-unifont)";
}

}  // namespace gbkhex::glyphs::detail
