#pragma once

#include <cstdint>

// The code page 936 tables, for the conversion's inner loops; everyone else
// goes through the codec, GbkEncoder and GbkDecoder (convert/gbk_codec.h).
namespace gbkhex::detail {

// Indexed by the high byte of a unit: which page of kCodePage936Pages holds it.
extern const std::uint8_t kCodePage936PageOfHighByte[256];
// Indexed by the low byte of a unit: its code as unsigned 16 bits, so a value
// above 0xFF is a two-byte code with the lead byte in its high byte.
extern const std::uint16_t kCodePage936Pages[][256];

inline std::uint16_t CodePage936Code(char16_t unit) noexcept {
  return kCodePage936Pages[kCodePage936PageOfHighByte[unit >> 8]][unit & 0xFFu];
}

// The decoding direction. 0xFFFF, a noncharacter, marks a code that decodes to
// nothing: a lead byte on its own, or a byte that cannot trail a lead byte.
inline constexpr std::uint16_t kNoUnit = 0xFFFF;
inline constexpr unsigned kFirstLeadByte = 0x81;
inline constexpr unsigned kLastLeadByte = 0xFE;
inline constexpr unsigned kFirstTrailByte = 0x40;
inline constexpr unsigned kLastTrailByte = 0xFE;
// Indexed by a byte.
extern const std::uint16_t kCodePage936SingleByteUnits[256];
// Indexed by lead byte - kFirstLeadByte, then trail byte - kFirstTrailByte.
extern const std::uint16_t kCodePage936DoubleByteUnits[kLastLeadByte - kFirstLeadByte + 1]
                                                      [kLastTrailByte - kFirstTrailByte + 1];
// Bit (unit % 64) of word (unit / 64) is set where decoding the code of the
// unit gives the unit back.
extern const std::uint64_t kCodePage936ExactUnits[0x10000 / 64];

inline bool IsExactUnit(char16_t unit) noexcept {
  return (kCodePage936ExactUnits[unit >> 6] >> (unit & 63u) & 1u) != 0;
}

}  // namespace gbkhex::detail
