#pragma once

#include <cstdint>
#include <optional>

namespace gbkhex {

// The code page 936 code of one UTF-16 unit, exactly as Windows'
// WideCharToMultiByte(936, 0, ...) converts that unit alone: GBK, the euro sign
// (0x80), U+F8F5 (0xFF), the user-defined area and Windows' best-fit mappings.
// A one-byte encoding b gives b (0..255); a two-byte encoding L T gives
// L * 256 + T read as a signed 16-bit value, which is always negative because
// lead bytes are 0x81..0xFE. Units with no encoding, lone surrogate halves
// included, give the default character '?' (0x3F).
std::int16_t CharacterCode(char16_t unit);

// Whether `byte` opens a two-byte code; every other byte is a code of its own.
constexpr bool IsCodePage936LeadByte(std::uint8_t byte) noexcept {
  return byte >= 0x81 && byte <= 0xFE;
}

// The unit that a code decodes to, as Windows' MultiByteToWideChar(936, ...)
// decodes it: `code` is a byte, or lead byte * 256 + trail byte. Nothing for a
// lead byte on its own, or for a byte that cannot trail a lead byte (below
// 0x40, 0x7F, 0xFF): every other code of code page 936 decodes to a character.
std::optional<char16_t> DecodeCodePage936(std::uint16_t code) noexcept;

// Whether decoding the code of `unit` gives `unit` back. Best-fit mappings
// (U+00B5 becomes the code of U+03BC) and units with no code (they become '?')
// are not exact; the euro sign and the user-defined area are.
bool IsExactInCodePage936(char16_t unit) noexcept;

}  // namespace gbkhex
