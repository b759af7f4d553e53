#pragma once

// What the glyph library reads from a TrueType or OpenType font's own tables:
// names, vertical metrics and the ideographic em box. A font file is input like
// any other: every read is bounds-checked, and a table that is cut short or
// points outside itself reads as absent, never past its end.

#include <cstdint>
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

// The number of faces of a font file in memory: a collection's count, 1 for a
// single font, 0 for what is neither.
std::uint32_t FaceCount(Bytes file) noexcept;

// The table `tag` of face `face` (from 0) of a font file in memory; nothing
// when there is no such face or table, or the table lies outside the file.
std::optional<Bytes> FindTable(Bytes file, std::uint32_t face, std::uint32_t tag) noexcept;

// A name of the 'name' table, preferring the Windows platform's US English
// record, then any other Windows or Unicode record; nothing when none is there.
inline constexpr std::uint16_t kFamilyNameId = 1;
inline constexpr std::uint16_t kSubfamilyNameId = 2;
inline constexpr std::uint16_t kFullNameId = 4;
inline constexpr std::uint16_t kTypographicFamilyNameId = 16;
inline constexpr std::uint16_t kTypographicSubfamilyNameId = 17;
std::optional<std::u16string> FindName(Bytes nameTable, std::uint16_t nameId);

// Every name with `nameId`, in every language, as the 'name' table holds them.
std::vector<std::u16string> AllNames(Bytes nameTable, std::uint16_t nameId);

// The family a reader knows the font by: its typographic family, else its
// family; UTF-8, empty when the table names none.
std::string FamilyName(Bytes nameTable);
// Its style within that family ("Regular", "Bold"), the same way.
std::string StyleName(Bytes nameTable);

// The units of the em, from 'head'; nothing when it is missing or 0.
std::optional<int> UnitsPerEm(Bytes head) noexcept;

// The font's own ascender and descender (negative below the baseline) in font
// units: OS/2's typographic ones, else hhea's, the first pair that spans
// anything; nothing when neither does.
struct VerticalExtent {
  int top = 0;
  int bottom = 0;
};
std::optional<VerticalExtent> ReadAscenderAndDescender(Bytes hhea, Bytes os2) noexcept;

// The ideographic em box that a 'BASE' table states for the Han script (else
// for its default script): between the baselines 'ideo' and 'idtp', either
// given alone standing one em from the other. Nothing when the table states
// neither, or a box that leaves out the baseline (which no real font does).
std::optional<VerticalExtent> ReadIdeographicEmBox(Bytes base, int unitsPerEm) noexcept;

// `units` font units in pixels at `pixelSize` pixels to the em, to the
// nearest pixel (halves upwards).
int ScaleToPixels(int units, int unitsPerEm, int pixelSize) noexcept;

}  // namespace gbkhex::glyphs::sfnt
