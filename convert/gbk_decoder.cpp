#include "convert/gbk_codec.h"

namespace gbkhex {
namespace {

std::optional<char16_t> DecodeCodePage936(std::uint16_t code) noexcept {
  std::uint16_t unit = detail::kNoUnit;
  if (code <= 0xFF) {
    unit = detail::kCodePage936SingleByteUnits[code];
  } else {
    const unsigned lead = code >> 8;
    const unsigned trail = code & 0xFFu;
    if (IsGbkLeadByte(static_cast<std::uint8_t>(lead)) && trail >= detail::kFirstTrailByte &&
        trail <= detail::kLastTrailByte) {
      unit = detail::kCodePage936DoubleByteUnits[lead - detail::kFirstLeadByte]
                                                [trail - detail::kFirstTrailByte];
    }
  }
  if (unit == detail::kNoUnit) return std::nullopt;
  return static_cast<char16_t>(unit);
}

}  // namespace

std::optional<char16_t> GbkDecoder::Decode(std::uint16_t code) const noexcept {
  if (charset_ == Charset::Gb2312) {
    if (code >= 0x80 && !IsGb2312Code(code)) return std::nullopt;
    if (code == 0xA1AA) return u'\u2015';
    if (code == 0xA1A4) return u'\u30FB';
  }
  return DecodeCodePage936(code);
}

GbkDecodeStep GbkDecoder::Decode(std::span<const std::uint8_t> bytes, char16_t* out,
                                 bool atEnd) const noexcept {
  GbkDecodeStep step;
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::uint8_t byte = bytes[at];
    if (!IsGbkLeadByte(byte)) {
      const std::optional<char16_t> unit = Decode(byte);
      if (!unit) {
        step.undefined = 1;
        break;
      }
      out[step.unitsWritten++] = *unit;
      ++at;
      continue;
    }
    if (at + 1 == bytes.size()) {
      step.undefined = atEnd ? 1 : 0;
      step.cutShort = atEnd;
      break;
    }
    const auto code = static_cast<std::uint16_t>(byte << 8 | bytes[at + 1]);
    const std::optional<char16_t> unit = Decode(code);
    if (!unit) {
      // Code page 936 defines every pair whose second byte can trail (40..FE
      // but 7F): where that byte cannot, the lead byte stands alone and the
      // byte after it is a character of its own.
      step.undefined = DecodeCodePage936(code) ? 2 : 1;
      break;
    }
    out[step.unitsWritten++] = *unit;
    at += 2;
  }
  step.bytesRead = at;
  return step;
}

}  // namespace gbkhex
