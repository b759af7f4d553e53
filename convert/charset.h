#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "convert/choice_word.h"

namespace gbkhex {

// The sets of characters that output may be held to. Gbk: every character that
// code page 936 encodes exactly. Gb2312: of those, ASCII and the characters of
// GB2312, which many display controllers' font ROMs hold and nothing more.
enum class Charset { Gbk, Gb2312 };

// The words of --charset.
inline constexpr ChoiceWord<Charset> kCharsetWords[] = {{Charset::Gbk, "gbk"},
                                                        {Charset::Gb2312, "gb2312"}};

// Whether `code` (as CharacterCode gives it, read as unsigned) is a two-byte
// code that GB2312 assigns: rows A1..F7, cells A1..FE, where the standard put
// a character.
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

// Whether `charset` holds `unit` exactly: decoding the code of
// UnitToWrite(charset, unit) gives that unit back, and for Gb2312 the code is
// ASCII or a GB2312 code. Surrogate halves never are.
bool Holds(Charset charset, char16_t unit) noexcept;

// The index of the first unit of `units` that `charset` does not hold, or
// units.size() when it holds them all.
std::size_t FindFirstNotHeld(std::u16string_view units, Charset charset) noexcept;

}  // namespace gbkhex
