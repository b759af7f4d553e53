#pragma once

// The one GBK codec: code page 936 exactly as Windows converts it
// (WideCharToMultiByte and MultiByteToWideChar with code page 936, best fit and
// the default character '?'), with GB 2312 as a variant of it (Charset).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "convert/charset.h"
#include "convert/code_page_936_table.h"

namespace gbkhex {

// Whether `byte` opens a two-byte code; every other byte is a code of its own.
constexpr bool IsGbkLeadByte(std::uint8_t byte) noexcept { return byte >= 0x81 && byte <= 0xFE; }

// Whether `code` (a byte, or lead byte * 256 + trail byte) is a two-byte code
// that GB2312 assigns: rows A1..F7, cells A1..FE, where the standard put a
// character.
bool IsGb2312Code(std::uint16_t code) noexcept;

// The unit whose code page 936 code writes `unit` in `charset`: `unit` itself,
// but for GB 2312's own readings of two codes. Every GB 2312 table reads A1 AA
// as U+2015 and A1 A4 as U+30FB, where code page 936 reads U+2014 and U+00B7
// (and gives U+2015 the GBK code A8 44, U+30FB none): with Gb2312, U+2015 and
// U+30FB are written as U+2014 and U+00B7 are.
constexpr char16_t UnitToWrite(Charset charset, char16_t unit) noexcept {
  if (charset != Charset::Gb2312) return unit;
  if (unit == u'\u2015') return u'\u2014';
  if (unit == u'\u30FB') return u'\u00B7';
  return unit;
}

// What one call of GbkEncoder::Encode did.
struct EncodeStep {
  std::size_t unitsRead = 0;
  std::size_t bytesWritten = 0;
  // Whether it stopped before units[unitsRead], which the charset does not
  // hold exactly (Unmappable::Stop only).
  bool unmappable = false;
};

// What the encoder does with a unit that the charset does not hold exactly:
// write it as Windows does (its best fit, or '?'), or stop before it.
enum class Unmappable { BestFit, Stop };

// UTF-16 to code page 936 bytes, in the charset's own readings.
class GbkEncoder {
 public:
  explicit constexpr GbkEncoder(Charset charset = Charset::Gbk) noexcept : charset_(charset) {}

  // The code page 936 code of one UTF-16 unit, exactly as Windows'
  // WideCharToMultiByte(936, 0, ...) converts that unit alone: GBK, the euro
  // sign (0x80), U+F8F5 (0xFF), the user-defined area and Windows' best-fit
  // mappings; units with no encoding, lone surrogate halves included, give
  // '?' (0x3F). A code above 0xFF is two bytes, lead byte in the high byte.
  // The inner loop of every conversion: inline, one table walk.
  static std::uint16_t CodeOf(char16_t unit) noexcept { return detail::CodePage936Code(unit); }

  // The code of `unit` as the charset writes it (UnitToWrite).
  std::uint16_t Code(char16_t unit) const noexcept { return CodeOf(UnitToWrite(charset_, unit)); }

  // Whether the charset holds `unit` exactly: decoding its code gives the unit
  // back, and for Gb2312 the code is ASCII or a GB2312 code. Best-fit
  // mappings (U+00B5 becomes the code of U+03BC), units with no code and
  // surrogate halves never are.
  bool Holds(char16_t unit) const noexcept;

  // The index of the first unit of `units` that the charset does not hold,
  // or units.size() when it holds them all.
  std::size_t FindUnmappable(std::u16string_view units) const noexcept;

  // Writes the bytes of `units` at `out`, which has room for 2 * units.size()
  // bytes: a one-byte code as its byte, a two-byte code lead byte first.
  EncodeStep Encode(std::u16string_view units, char* out,
                    Unmappable unmappable = Unmappable::BestFit) const noexcept;

  // Appends the bytes of every unit (Unmappable::BestFit) to `out`.
  void Append(std::u16string_view units, std::string& out) const;

  // `units` as the charset writes them (UnitToWrite): `units` itself, or a
  // copy in `buffer` where a unit changes. For writers that take units.
  std::u16string_view UnitsToWrite(std::u16string_view units, std::u16string& buffer) const;

 private:
  Charset charset_;
};

// What one call of GbkDecoder::Decode did.
struct GbkDecodeStep {
  std::size_t bytesRead = 0;  // the bytes decoded, from the start
  std::size_t unitsWritten = 0;
  // Bytes at bytesRead that are no character of the charset, as one fault; 0
  // when decoding stopped for want of input (or at its end).
  std::size_t undefined = 0;
  bool cutShort = false;  // the undefined bytes are a lead byte that the input's end cuts short
};

// Code page 936 bytes to UTF-16, in the charset's own readings.
class GbkDecoder {
 public:
  explicit constexpr GbkDecoder(Charset charset = Charset::Gbk) noexcept : charset_(charset) {}

  // The unit that `code` (a byte, or lead byte * 256 + trail byte) reads as.
  // Gbk reads as Windows' MultiByteToWideChar(936, ...): nothing for a lead
  // byte on its own or a pair whose second byte cannot trail (below 0x40,
  // 0x7F, 0xFF); every other code is a character. Gb2312 reads only its own
  // codes and ASCII, and its own readings of A1 AA (U+2015) and A1 A4 (U+30FB).
  std::optional<char16_t> Decode(std::uint16_t code) const noexcept;

  // Decodes `bytes` into UTF-16 units at `out` (room for bytes.size() units),
  // stopping at the first undefined bytes, or before a lead byte that the
  // bytes cut short unless `atEnd` says no more bytes come, where that lead
  // byte is undefined. A call may start anywhere a character starts.
  GbkDecodeStep Decode(std::span<const std::uint8_t> bytes, char16_t* out,
                       bool atEnd) const noexcept;

 private:
  Charset charset_;
};

}  // namespace gbkhex
