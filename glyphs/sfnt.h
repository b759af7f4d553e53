#pragma once

// What the glyph library reads from a TrueType or OpenType font's own tables,
// the same way whichever rasterizer draws its glyphs, so that every platform
// gives one font the same family name and the same ascender.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gbkhex::glyphs::sfnt {

constexpr std::uint32_t Tag(std::string_view name) noexcept {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(name[0])) << 24 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(name[1])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(name[2])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(name[3]));
}

using Bytes = std::span<const std::uint8_t>;

// Whether a file's first four bytes open a TrueType or OpenType font or a
// collection of them.
bool IsSfntSignature(Bytes firstBytes) noexcept;

// The table `tag` of a font file, of the first font of a collection; nothing
// when the file is no such font or has no such table. Reads only the
// directory and the table.
std::optional<std::vector<std::uint8_t>> ReadTable(const std::filesystem::path& file,
                                                   std::uint32_t tag);

// A name of the 'name' table, preferring the Windows platform's US English
// record, then any other Windows or Unicode record; nothing when none is there.
inline constexpr std::uint16_t kFamilyNameId = 1;
inline constexpr std::uint16_t kFullNameId = 4;
inline constexpr std::uint16_t kTypographicFamilyNameId = 16;
std::optional<std::u16string> FindName(Bytes nameTable, std::uint16_t nameId);

// Every name with `nameId`, in every language, as the 'name' table holds them.
std::vector<std::u16string> AllNames(Bytes nameTable, std::uint16_t nameId);

// The family a reader knows the font by: its typographic family, else its
// family; UTF-8, empty when the table names none.
std::string FamilyName(Bytes nameTable);

// The ascender in font units and the units of the em, from the 'head', 'hhea'
// and 'OS/2' tables: hhea's ascender, or where hhea gives no vertical metrics,
// OS/2's typographic ascender, else its Windows ascent.
struct VerticalMetrics {
  int unitsPerEm = 0;
  int ascender = 0;
};
std::optional<VerticalMetrics> ReadVerticalMetrics(Bytes head, Bytes hhea, Bytes os2);

// `units` font units in pixels at `pixelSize` pixels to the em, to the
// nearest pixel (halves upwards).
int ScaleToPixels(int units, int unitsPerEm, int pixelSize) noexcept;

}  // namespace gbkhex::glyphs::sfnt
