#include "convert/unicode.h"

namespace gbkhex {

void AppendUtf8(char32_t codePoint, std::string& out) {
  const auto byte = [&out](char32_t value) { out += static_cast<char>(value); };
  if (codePoint < 0x80) {
    byte(codePoint);
  } else if (codePoint < 0x800) {
    byte(0xC0 | codePoint >> 6);
    byte(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    byte(0xE0 | codePoint >> 12);
    byte(0x80 | (codePoint >> 6 & 0x3F));
    byte(0x80 | (codePoint & 0x3F));
  } else {
    byte(0xF0 | codePoint >> 18);
    byte(0x80 | (codePoint >> 12 & 0x3F));
    byte(0x80 | (codePoint >> 6 & 0x3F));
    byte(0x80 | (codePoint & 0x3F));
  }
}

std::string Utf8FromUtf16(std::u16string_view units) {
  std::string utf8;
  utf8.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t unit = units[i];
    if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
      AppendUtf8(CodePointOfPair(unit, units[++i]), utf8);
    } else {
      AppendUtf8(IsSurrogate(unit) ? U'\uFFFD' : char32_t{unit}, utf8);
    }
  }
  return utf8;
}

}  // namespace gbkhex
