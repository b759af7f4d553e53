#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text/utf8.h"

namespace gbkhex::harness {

// The bytes of well-formed UTF-8 `utf8` as UTF-16 in either byte order, after
// its byte-order mark: the input that an editor saves as "Unicode".
inline std::string Utf16WithByteOrderMark(std::string_view utf8, bool bigEndian) {
  std::u16string units(utf8.size(), u'\0');
  units.resize(
      DecodeUtf8({reinterpret_cast<const std::uint8_t*>(utf8.data()), utf8.size()}, units.data())
          .unitsWritten);
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : units) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

}  // namespace gbkhex::harness
