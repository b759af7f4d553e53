#include "glyphs/sfnt.h"

#include <utility>

#include "convert/unicode.h"

namespace gbkhex::glyphs::sfnt {
namespace {

// Big-endian reads that give nothing past the end of the data.
std::optional<std::uint32_t> Read(Bytes data, std::size_t offset, std::size_t size) noexcept {
  if (offset > data.size() || data.size() - offset < size) return std::nullopt;
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < size; ++i) value = value << 8 | data[offset + i];
  return value;
}
std::optional<std::uint16_t> U16(Bytes data, std::size_t offset) noexcept {
  const auto value = Read(data, offset, 2);
  return value ? std::optional<std::uint16_t>(static_cast<std::uint16_t>(*value)) : std::nullopt;
}
std::optional<std::int16_t> S16(Bytes data, std::size_t offset) noexcept {
  const auto value = U16(data, offset);
  return value ? std::optional<std::int16_t>(static_cast<std::int16_t>(*value)) : std::nullopt;
}
std::optional<std::uint32_t> U32(Bytes data, std::size_t offset) noexcept {
  return Read(data, offset, 4);
}

// The part of `data` from `offset` on; nothing when that lies past its end or
// the offset is a null one, which OpenType uses for an absent subtable.
std::optional<Bytes> From(Bytes data, std::optional<std::uint16_t> offset) noexcept {
  if (!offset || *offset == 0 || *offset >= data.size()) return std::nullopt;
  return data.subspan(*offset);
}

constexpr std::uint16_t kPlatformUnicode = 0;
constexpr std::uint16_t kPlatformWindows = 3;
constexpr std::uint16_t kLanguageUsEnglish = 0x0409;

struct NameRecord {
  std::uint16_t platform;
  std::uint16_t language;
  std::u16string text;
};

// The UTF-16 records of `nameId`; records of other platforms (the old Mac
// encodings) are left out.
std::vector<NameRecord> Records(Bytes table, std::uint16_t nameId) {
  std::vector<NameRecord> records;
  const auto count = U16(table, 2);
  const auto stringsOffset = U16(table, 4);
  if (!count || !stringsOffset) return records;
  for (std::size_t i = 0; i < *count; ++i) {
    const std::size_t record = 6 + 12 * i;
    const auto platform = U16(table, record);
    const auto language = U16(table, record + 4);
    const auto id = U16(table, record + 6);
    const auto length = U16(table, record + 8);
    const auto offset = U16(table, record + 10);
    if (!offset) break;
    if (*id != nameId || (*platform != kPlatformUnicode && *platform != kPlatformWindows)) continue;
    const std::size_t start = std::size_t{*stringsOffset} + *offset;
    if (start > table.size() || table.size() - start < *length) continue;
    std::u16string text;
    for (std::size_t k = 0; k + 1 < *length; k += 2) {
      text += static_cast<char16_t>(table[start + k] << 8 | table[start + k + 1]);
    }
    records.push_back({*platform, *language, std::move(text)});
  }
  return records;
}

std::string PreferredName(Bytes nameTable, std::uint16_t preferredId, std::uint16_t otherId) {
  auto name = FindName(nameTable, preferredId);
  if (!name) name = FindName(nameTable, otherId);
  return name ? Utf8FromUtf16(*name) : std::string();
}

// The offset of face `face`'s table directory in a font file.
std::optional<std::size_t> DirectoryOffset(Bytes file, std::uint32_t face) noexcept {
  if (!IsSfntSignature(file)) return std::nullopt;
  if (U32(file, 0) != Tag("ttcf")) {
    if (face != 0) return std::nullopt;
    return 0;
  }
  // Tag, version and the number of fonts, then the offsets of their directories.
  if (face >= FaceCount(file)) return std::nullopt;
  return U32(file, 12 + std::size_t{4} * face);
}

// The coordinate that `values` (a BaseValues table) gives baseline number
// `index` of the tag list.
std::optional<int> BaseCoordinate(Bytes values, std::size_t index) noexcept {
  const auto count = U16(values, 2);
  if (!count || index >= *count) return std::nullopt;
  // Every format of BaseCoord keeps its coordinate after its format number.
  const auto coordinate = From(values, U16(values, 4 + 2 * index));
  if (!coordinate) return std::nullopt;
  const auto value = S16(*coordinate, 2);
  if (!value) return std::nullopt;
  return *value;
}

// The BaseValues table of the script `script` in a BaseScriptList.
std::optional<Bytes> ScriptValues(Bytes scripts, std::uint32_t script) noexcept {
  const auto count = U16(scripts, 0);
  if (!count) return std::nullopt;
  for (std::size_t i = 0; i < *count; ++i) {
    if (U32(scripts, 2 + 6 * i) != script) continue;
    const auto baseScript = From(scripts, U16(scripts, 2 + 6 * i + 4));
    if (!baseScript) return std::nullopt;
    return From(*baseScript, U16(*baseScript, 0));
  }
  return std::nullopt;
}

std::optional<std::size_t> TagIndex(Bytes tags, std::uint32_t tag) noexcept {
  const auto count = U16(tags, 0);
  if (!count) return std::nullopt;
  for (std::size_t i = 0; i < *count; ++i) {
    if (U32(tags, 2 + 4 * i) == tag) return i;
  }
  return std::nullopt;
}

}  // namespace

bool IsSfntSignature(Bytes firstBytes) noexcept {
  const auto signature = U32(firstBytes, 0);
  return signature && (*signature == 0x00010000 || *signature == Tag("OTTO") ||
                       *signature == Tag("true") || *signature == Tag("ttcf"));
}

std::uint32_t FaceCount(Bytes file) noexcept {
  if (!IsSfntSignature(file)) return 0;
  if (U32(file, 0) != Tag("ttcf")) return 1;
  const auto count = U32(file, 8);
  // A count beyond what the file's offsets hold is no collection.
  if (!count || (file.size() - 12) / 4 < *count) return 0;
  return *count;
}

std::optional<Bytes> FindTable(Bytes file, std::uint32_t face, std::uint32_t tag) noexcept {
  const auto directory = DirectoryOffset(file, face);
  if (!directory) return std::nullopt;
  const auto tableCount = U16(file, *directory + 4);
  if (!tableCount) return std::nullopt;
  for (std::size_t i = 0; i < *tableCount; ++i) {
    const std::size_t entry = *directory + 12 + 16 * i;
    const auto entryTag = U32(file, entry);
    if (!entryTag) return std::nullopt;
    if (*entryTag != tag) continue;
    const auto offset = U32(file, entry + 8);
    const auto length = U32(file, entry + 12);
    if (!offset || !length || *offset > file.size() || file.size() - *offset < *length) {
      return std::nullopt;
    }
    return file.subspan(*offset, *length);
  }
  return std::nullopt;
}

std::optional<std::u16string> FindName(Bytes nameTable, std::uint16_t nameId) {
  const auto records = Records(nameTable, nameId);
  const auto rank = [](const NameRecord& record) {
    if (record.platform == kPlatformWindows) return record.language == kLanguageUsEnglish ? 0 : 1;
    return 2;
  };
  const NameRecord* best = nullptr;
  for (const NameRecord& record : records) {
    if (!record.text.empty() && (!best || rank(record) < rank(*best))) best = &record;
  }
  if (!best) return std::nullopt;
  return best->text;
}

std::vector<std::u16string> AllNames(Bytes nameTable, std::uint16_t nameId) {
  std::vector<std::u16string> names;
  for (NameRecord& record : Records(nameTable, nameId)) names.push_back(std::move(record.text));
  return names;
}

std::string FamilyName(Bytes nameTable) {
  return PreferredName(nameTable, kTypographicFamilyNameId, kFamilyNameId);
}

std::string StyleName(Bytes nameTable) {
  return PreferredName(nameTable, kTypographicSubfamilyNameId, kSubfamilyNameId);
}

std::optional<int> UnitsPerEm(Bytes head) noexcept {
  const auto units = U16(head, 18);
  if (!units || *units == 0) return std::nullopt;
  return *units;
}

std::optional<VerticalExtent> ReadAscenderAndDescender(Bytes hhea, Bytes os2) noexcept {
  const std::pair<std::optional<std::int16_t>, std::optional<std::int16_t>> candidates[] = {
      {S16(os2, 68), S16(os2, 70)},  // sTypoAscender, sTypoDescender
      {S16(hhea, 4), S16(hhea, 6)},  // ascender, descender
  };
  for (const auto& [top, bottom] : candidates) {
    if (top && bottom && *top > *bottom) return VerticalExtent{*top, *bottom};
  }
  return std::nullopt;
}

std::optional<VerticalExtent> ReadIdeographicEmBox(Bytes base, int unitsPerEm) noexcept {
  // The horizontal axis: its list of baseline tags and its list of scripts.
  const auto axis = From(base, U16(base, 4));
  if (!axis) return std::nullopt;
  const auto tags = From(*axis, U16(*axis, 0));
  const auto scripts = From(*axis, U16(*axis, 2));
  if (!tags || !scripts) return std::nullopt;
  auto values = ScriptValues(*scripts, Tag("hani"));
  if (!values) values = ScriptValues(*scripts, Tag("DFLT"));
  if (!values) return std::nullopt;
  const auto coordinate = [&](std::string_view baseline) -> std::optional<int> {
    const auto index = TagIndex(*tags, Tag(baseline));
    return index ? BaseCoordinate(*values, *index) : std::nullopt;
  };
  const std::optional<int> bottom = coordinate("ideo");
  const std::optional<int> top = coordinate("idtp");
  VerticalExtent box;
  if (bottom && top) {
    box = {*top, *bottom};
  } else if (bottom) {
    box = {*bottom + unitsPerEm, *bottom};
  } else if (top) {
    box = {*top, *top - unitsPerEm};
  } else {
    return std::nullopt;
  }
  if (box.bottom > 0 || box.top <= 0) return std::nullopt;
  return box;
}

int ScaleToPixels(int units, int unitsPerEm, int pixelSize) noexcept {
  // Floor division of 2 * units * size + em by 2 * em, negative values included.
  const std::int64_t numerator = 2 * std::int64_t{units} * pixelSize + unitsPerEm;
  const std::int64_t denominator = 2 * std::int64_t{unitsPerEm};
  const std::int64_t quotient = numerator / denominator;
  return static_cast<int>(numerator % denominator < 0 ? quotient - 1 : quotient);
}

}  // namespace gbkhex::glyphs::sfnt
