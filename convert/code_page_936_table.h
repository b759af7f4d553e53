#pragma once

#include <cstdint>

// The code page 936 table, for the conversion's inner loops; everyone else
// calls CharacterCode.
namespace gbkhex::detail {

// Indexed by the high byte of a unit: which page of kCodePage936Pages holds it.
extern const std::uint8_t kCodePage936PageOfHighByte[256];
// Indexed by the low byte of a unit: its code as unsigned 16 bits, so a value
// above 0xFF is a two-byte code with the lead byte in its high byte.
extern const std::uint16_t kCodePage936Pages[][256];

inline std::uint16_t CodePage936Code(char16_t unit) noexcept {
  return kCodePage936Pages[kCodePage936PageOfHighByte[unit >> 8]][unit & 0xFFu];
}

}  // namespace gbkhex::detail
