#pragma once

#include <cstdint>

namespace gbkhex {

// The code page 936 code of one UTF-16 unit, exactly as Windows'
// WideCharToMultiByte(936, 0, ...) converts that unit alone: GBK, the euro sign
// (0x80), U+F8F5 (0xFF), the user-defined area and Windows' best-fit mappings.
// A one-byte encoding b gives b (0..255); a two-byte encoding L T gives
// L * 256 + T read as a signed 16-bit value, which is always negative because
// lead bytes are 0x81..0xFE. Units with no encoding, lone surrogate halves
// included, give the default character '?' (0x3F).
std::int16_t CharacterCode(char16_t unit);

}  // namespace gbkhex
