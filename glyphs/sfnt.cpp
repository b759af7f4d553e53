#include "glyphs/sfnt.h"

#include <fstream>

#include "convert/unicode.h"

namespace gbkhex::glyphs::sfnt {
namespace {

// Big-endian reads that give nothing past the end of the data, since a font
// file is input like any other.
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

std::vector<std::uint8_t> ReadAt(std::ifstream& file, std::uint64_t offset, std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  file.seekg(static_cast<std::streamoff>(offset));
  file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
  bytes.resize(file ? size : static_cast<std::size_t>(std::max<std::streamsize>(0, file.gcount())));
  file.clear();
  return bytes;
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

}  // namespace

bool IsSfntSignature(Bytes firstBytes) noexcept {
  const auto signature = U32(firstBytes, 0);
  return signature && (*signature == 0x00010000 || *signature == Tag("OTTO") ||
                       *signature == Tag("true") || *signature == Tag("ttcf"));
}

std::optional<std::vector<std::uint8_t>> ReadTable(const std::filesystem::path& file,
                                                   std::uint32_t tag) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::uint64_t directory = 0;
  const auto header = ReadAt(in, 0, 16);
  if (!IsSfntSignature(header)) return std::nullopt;
  if (U32(header, 0) == Tag("ttcf")) {
    // Tag, version and the number of fonts, then the offsets of their directories.
    const auto firstFont = U32(header, 12);
    if (!firstFont) return std::nullopt;
    directory = *firstFont;
  }
  const auto directoryHeader = ReadAt(in, directory, 12);
  const auto tableCount = U16(directoryHeader, 4);
  if (!tableCount) return std::nullopt;
  const auto entries = ReadAt(in, directory + 12, std::size_t{16} * *tableCount);
  for (std::size_t i = 0; i < *tableCount; ++i) {
    if (U32(entries, 16 * i) != tag) continue;
    const auto offset = U32(entries, 16 * i + 8);
    const auto length = U32(entries, 16 * i + 12);
    if (!offset || !length) return std::nullopt;
    auto table = ReadAt(in, *offset, *length);
    if (table.size() != *length) return std::nullopt;
    return table;
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
  auto family = FindName(nameTable, kTypographicFamilyNameId);
  if (!family) family = FindName(nameTable, kFamilyNameId);
  return family ? Utf8FromUtf16(*family) : std::string();
}

std::optional<VerticalMetrics> ReadVerticalMetrics(Bytes head, Bytes hhea, Bytes os2) {
  const auto unitsPerEm = U16(head, 18);
  if (!unitsPerEm || *unitsPerEm == 0) return std::nullopt;
  const auto ascender = S16(hhea, 4);
  const auto descender = S16(hhea, 6);
  if (ascender && descender && (*ascender != 0 || *descender != 0)) {
    return VerticalMetrics{*unitsPerEm, *ascender};
  }
  const auto typoAscender = S16(os2, 68);
  const auto typoDescender = S16(os2, 70);
  if (typoAscender && typoDescender && (*typoAscender != 0 || *typoDescender != 0)) {
    return VerticalMetrics{*unitsPerEm, *typoAscender};
  }
  if (const auto winAscent = U16(os2, 74)) return VerticalMetrics{*unitsPerEm, *winAscent};
  return std::nullopt;
}

int ScaleToPixels(int units, int unitsPerEm, int pixelSize) noexcept {
  // Floor division of 2 * units * size + em by 2 * em, negative values included.
  const std::int64_t numerator = 2 * std::int64_t{units} * pixelSize + unitsPerEm;
  const std::int64_t denominator = 2 * std::int64_t{unitsPerEm};
  const std::int64_t quotient = numerator / denominator;
  return static_cast<int>(numerator % denominator < 0 ? quotient - 1 : quotient);
}

}  // namespace gbkhex::glyphs::sfnt
