#include "text/input_decoder.h"

#include <algorithm>

#include "convert/code_format.h"
#include "convert/gbk_codec.h"
#include "i18n/messages.h"
#include "text/characters.h"
#include "text/utf8.h"

namespace gbkhex {
namespace {

DecodeStep DecodeUtf8Step(std::span<const std::uint8_t> bytes, char16_t* out, bool atEnd) noexcept {
  const Utf8Result result = DecodeUtf8(bytes, out);
  DecodeStep step{result.bytesRead, result.unitsWritten, 0};
  const auto rest = bytes.subspan(result.bytesRead);
  if (result.status == Utf8Status::Invalid) step.illFormed = IllFormedUtf8Length(rest);
  if (result.status == Utf8Status::Truncated && atEnd) {
    step.illFormed = rest.size();
    step.cutShort = true;
  }
  return step;
}

DecodeStep DecodeUtf16Step(std::span<const std::uint8_t> bytes, char16_t* out, bool bigEndian,
                           bool atEnd) noexcept {
  const auto unitAt = [&bytes, bigEndian](std::size_t at) {
    const auto first = static_cast<char16_t>(bytes[at]);
    const auto second = static_cast<char16_t>(bytes[at + 1]);
    return static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
  };
  DecodeStep step;
  std::size_t at = 0;
  while (at + 2 <= bytes.size()) {
    const char16_t unit = unitAt(at);
    if (IsHighSurrogate(unit)) {
      if (at + 4 > bytes.size()) break;  // its pair may come with more input
      if (!IsLowSurrogate(unitAt(at + 2))) {
        step.illFormed = 2;
        break;
      }
      out[step.unitsWritten++] = unit;
      out[step.unitsWritten++] = unitAt(at + 2);
      at += 4;
      continue;
    }
    if (IsLowSurrogate(unit)) {
      step.illFormed = 2;
      break;
    }
    out[step.unitsWritten++] = unit;
    at += 2;
  }
  step.bytesRead = at;
  if (step.illFormed == 0 && atEnd && at < bytes.size()) {
    step.illFormed = bytes.size() - at;
    step.cutShort = true;
  }
  return step;
}

DecodeStep DecodeCodePage936Step(std::span<const std::uint8_t> bytes, char16_t* out,
                                 bool atEnd) noexcept {
  const GbkDecodeStep step = GbkDecoder().Decode(bytes, out, atEnd);
  return DecodeStep{.bytesRead = step.bytesRead,
                    .unitsWritten = step.unitsWritten,
                    .illFormed = step.undefined,
                    .cutShort = step.cutShort};
}

// "C3" or "E4 B8": the bytes of a fault.
std::string Bytes(std::span<const std::uint8_t> bytes) {
  std::string text;
  for (const std::uint8_t byte : bytes)
    text.append(text.empty() ? "" : " ").append(NumToStrHex(byte, 1));
  return text;
}

}  // namespace

InputStart DetectEncoding(std::span<const std::uint8_t> first, bool codePage936) noexcept {
  if (codePage936) return {InputEncoding::CodePage936, 0};
  if (first.size() >= 3 && first[0] == 0xEF && first[1] == 0xBB && first[2] == 0xBF) {
    return {InputEncoding::Utf8, 3};
  }
  if (first.size() >= 2 && first[0] == 0xFF && first[1] == 0xFE) return {InputEncoding::Utf16Le, 2};
  if (first.size() >= 2 && first[0] == 0xFE && first[1] == 0xFF) return {InputEncoding::Utf16Be, 2};
  return {InputEncoding::Utf8, 0};
}

DecodeStep DecodeInput(InputEncoding encoding, std::span<const std::uint8_t> bytes, char16_t* out,
                       bool atEnd) noexcept {
  switch (encoding) {
    case InputEncoding::Utf16Le:
      return DecodeUtf16Step(bytes, out, false, atEnd);
    case InputEncoding::Utf16Be:
      return DecodeUtf16Step(bytes, out, true, atEnd);
    case InputEncoding::CodePage936:
      return DecodeCodePage936Step(bytes, out, atEnd);
    case InputEncoding::Utf8:
      break;
  }
  return DecodeUtf8Step(bytes, out, atEnd);
}

std::string DescribeIllFormed(InputEncoding encoding, std::span<const std::uint8_t> bytes) {
  switch (encoding) {
    case InputEncoding::Utf16Le:
    case InputEncoding::Utf16Be:
      // Two bytes are a whole unit, ill-formed only as a surrogate half alone.
      if (bytes.size() == 2) {
        return i18n::Fill(i18n::Tr("invalid UTF-16 (bytes %s, a surrogate half alone)"),
                          {Bytes(bytes)});
      }
      return i18n::Fill(
          i18n::TrN("invalid UTF-16 (byte %s)", "invalid UTF-16 (bytes %s)", bytes.size()),
          {Bytes(bytes)});
    case InputEncoding::CodePage936:
      return i18n::Fill(i18n::TrN("no character of code page 936 (byte %s)",
                                  "no character of code page 936 (bytes %s)", bytes.size()),
                        {Bytes(bytes)});
    case InputEncoding::Utf8:
      break;
  }
  return i18n::Fill(i18n::TrN("invalid UTF-8 (byte %s)", "invalid UTF-8 (bytes %s)", bytes.size()),
                    {Bytes(bytes)});
}

bool LooksLikeCodePage936(std::span<const std::uint8_t> bytes) noexcept {
  return bytes.size() >= 2 && IsGbkLeadByte(bytes[0]) && bytes[1] >= 0x80 &&
         GbkDecoder().Decode(static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1])).has_value();
}

}  // namespace gbkhex
