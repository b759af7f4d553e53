#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace gbkhex {

// The sets of characters that output may be held to. Gbk: every character that
// code page 936 encodes exactly. Gb2312: of those, ASCII and the characters of
// GB2312, which many display controllers' font ROMs hold and nothing more.
enum class Charset { Gbk, Gb2312 };

// Whether `code` (as CharacterCode gives it, read as unsigned) is a two-byte
// code that GB2312 assigns: rows A1..F7, cells A1..FE, where the standard put
// a character.
bool IsGb2312Code(std::uint16_t code) noexcept;

// Whether `charset` holds `unit` exactly: decoding its code gives it back, and
// for Gb2312 the code is ASCII or a GB2312 code. Surrogate halves never are.
bool Holds(Charset charset, char16_t unit) noexcept;

// The index of the first unit of `units` that `charset` does not hold, or
// units.size() when it holds them all.
std::size_t FindFirstNotHeld(std::u16string_view units, Charset charset) noexcept;

}  // namespace gbkhex
