#include "emit/character_list.h"

#include "convert/code_format.h"
#include "convert/gbk_codec.h"
#include "text/characters.h"

namespace gbkhex {
namespace {

constexpr std::size_t kBasicUnits = 0x10000;
constexpr std::uint8_t kGb2312Base = 0xA0;

// "E5 8D 81": each byte as two digits, blank-separated.
void AppendBytes(std::string& out, std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0) out += ' ';
    AppendHexDigits(out, static_cast<unsigned char>(bytes[i]), 2);
  }
}

void AppendShown(std::string& out, char32_t c) {
  if (c == '\n') {
    out.append("\\n");
  } else if (c == '\r') {
    out.append("\\r");
  } else if (c == '\t') {
    out.append("\\t");
  } else if (IsHiddenOrReordering(c) || IsSurrogate(c)) {
    out.append("\\u");
    AppendHexDigits(out, c, 4);
  } else {
    AppendUtf8(c, out);
  }
}

// 区位码: zone and position, each of two decimal digits, of a GB 2312 code.
void AppendZonePosition(std::string& out, std::string_view bytes) {
  if (bytes.size() != 2) return;
  const auto lead = static_cast<std::uint8_t>(bytes[0]);
  const auto trail = static_cast<std::uint8_t>(bytes[1]);
  if (!IsGb2312Code(static_cast<std::uint16_t>(lead << 8 | trail))) return;
  for (const unsigned number : {lead - kGb2312Base, trail - kGb2312Base}) {
    out += static_cast<char>('0' + number / 10);
    out += static_cast<char>('0' + number % 10);
  }
}

}  // namespace

CharacterList::CharacterList() : basicIndex_(std::make_unique<std::uint32_t[]>(kBasicUnits)) {}

void CharacterList::Add(char32_t character) {
  if (character < kBasicUnits) {
    std::uint32_t& index = basicIndex_[character];
    if (index == 0) {
      characters_.push_back({character, 0});
      index = static_cast<std::uint32_t>(characters_.size());
    }
    ++characters_[index - 1].count;
    return;
  }
  const auto [found, added] = supplementaryIndex_.try_emplace(character, characters_.size());
  if (added) characters_.push_back({character, 0});
  ++characters_[found->second].count;
}

void CharacterList::Count(std::u16string_view units) {
  for (const char16_t unit : units) {
    if (pendingHigh_ != 0) {
      const char16_t high = pendingHigh_;
      pendingHigh_ = 0;
      if (IsLowSurrogate(unit)) {
        Add(CodePointOfPair(high, unit));
        continue;
      }
      Add(high);
    }
    if (IsHighSurrogate(unit)) {
      pendingHigh_ = unit;
    } else {
      Add(unit);
    }
  }
}

void CharacterList::Write(std::string& out, const BytesOf& bytesOf) {
  if (pendingHigh_ != 0) {
    Add(pendingHigh_);
    pendingHigh_ = 0;
  }
  out.append("char\tunicode\tutf8\tgbk\tquwei\tcount\n");
  for (const Seen& seen : characters_) {
    AppendShown(out, seen.character);
    out.append("\tU+");
    AppendHexDigits(out, seen.character,
                    seen.character > 0xFFFF ? 5 + (seen.character > 0xFFFFF) : 4);
    out += '\t';
    std::string utf8;
    if (!IsSurrogate(seen.character)) AppendUtf8(seen.character, utf8);
    AppendBytes(out, utf8);
    out += '\t';
    const std::string bytes = bytesOf(seen.character);
    AppendBytes(out, bytes);
    out += '\t';
    AppendZonePosition(out, bytes);
    out.append("\t").append(std::to_string(seen.count)).append("\n");
  }
}

std::string CharacterList::CodePage936Bytes(char32_t character) {
  std::string bytes;
  if (character <= 0xFFFF) {
    GbkEncoder().Append(std::u16string(1, static_cast<char16_t>(character)), bytes);
    return bytes;
  }
  const char32_t offset = character - 0x10000;
  GbkEncoder().Append(std::u16string{static_cast<char16_t>(0xD800 + (offset >> 10)),
                                     static_cast<char16_t>(0xDC00 + (offset & 0x3FF))},
                      bytes);
  return bytes;
}

}  // namespace gbkhex
