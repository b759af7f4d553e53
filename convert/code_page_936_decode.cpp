#include "code_page_936.h"
#include "code_page_936_table.h"

namespace gbkhex {

std::optional<char16_t> DecodeCodePage936(std::uint16_t code) noexcept {
  std::uint16_t unit = detail::kNoUnit;
  if (code <= 0xFF) {
    unit = detail::kCodePage936SingleByteUnits[code];
  } else {
    const unsigned lead = code >> 8;
    const unsigned trail = code & 0xFFu;
    if (IsCodePage936LeadByte(static_cast<std::uint8_t>(lead)) &&
        trail >= detail::kFirstTrailByte && trail <= detail::kLastTrailByte) {
      unit = detail::kCodePage936DoubleByteUnits[lead - detail::kFirstLeadByte]
                                                [trail - detail::kFirstTrailByte];
    }
  }
  if (unit == detail::kNoUnit) return std::nullopt;
  return static_cast<char16_t>(unit);
}

bool IsExactInCodePage936(char16_t unit) noexcept { return detail::IsExactUnit(unit); }

}  // namespace gbkhex
