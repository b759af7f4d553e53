#pragma once

// What the UTF-8 decoders of text/utf8.cpp and the vector decoders, a file per
// instruction set, share. Only those files include it.

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

#include "text/utf8.h"

// The vector decoders are built where GCC or Clang compile for x86, which lets
// each carry its own instruction set in target attributes; elsewhere (the
// browser, other processors) only the portable decoder is.
#if (defined(__GNUC__) || defined(__clang__)) && !defined(_MSC_VER) && \
    (defined(__x86_64__) || defined(__i386__))
#define GBKHEX_UTF8_X86 1
#endif

namespace gbkhex::detail {

// The portable decoder: DecodeUtf8 where no vector decoder runs, and the one
// that the vector decoders hand what they turn down.
Utf8Result DecodeUtf8Portable(std::span<const std::uint8_t> bytes, char16_t* out) noexcept;

#ifdef GBKHEX_UTF8_X86

Utf8Result DecodeUtf8Ssse3(std::span<const std::uint8_t> bytes, char16_t* out) noexcept;
Utf8Result DecodeUtf8Avx2(std::span<const std::uint8_t> bytes, char16_t* out) noexcept;

// The vector decoder takes blocks of 16 or 32 bytes that hold only sequences
// of one to three bytes, which is all text below U+10000: each byte is decoded
// as if a sequence started there, and the lanes where one does start are packed
// together. A block with anything else in it, a four-byte sequence or a fault,
// goes to the portable decoder, which also finds the exact place of a fault.
//
// The decoder is one template over the vector width; Ssse3 (utf8_ssse3.cpp)
// and Avx2 (utf8_avx2.cpp) give it the instructions of each width. Only they
// touch vectors, and they carry their instruction set in a target attribute,
// so nothing but bytes, masks and pointers crosses between them and the
// template, whatever the compiler inlines: a vector passed by value between
// code with and without AVX would be passed two different ways.

// What the bytes of a block are, bit i for byte i.
struct BlockMasks {
  std::uint32_t high;           // 80..FF
  std::uint32_t continuations;  // 80..BF
  std::uint32_t leads2;         // C2..DF
  std::uint32_t leads3;         // E0..EF
  // E0 followed by 80..9F (overlong) or ED followed by A0..BF (a surrogate).
  std::uint32_t narrowed;
};

// Per set of eight 16-bit lanes (bit i for lane i): the byte shuffle that
// moves the lanes in the set to the front, in order, and how many they are.
struct LanePacking {
  std::array<std::uint8_t, 16> shuffle{};
  std::uint8_t count = 0;
};

inline constexpr auto kLanePackings = [] {
  std::array<LanePacking, 256> packings{};
  for (std::size_t set = 0; set < packings.size(); ++set) {
    LanePacking& packing = packings[set];
    packing.shuffle.fill(0x80);  // zeroes the lanes left over
    for (std::uint8_t lane = 0; lane < 8; ++lane) {
      if ((set >> lane & 1) == 0) continue;
      packing.shuffle[2 * packing.count] = static_cast<std::uint8_t>(2 * lane);
      packing.shuffle[2 * packing.count + 1] = static_cast<std::uint8_t>(2 * lane + 1);
      ++packing.count;
    }
  }
  return packings;
}();

// Decodes a block that the vector code turned down, and enough bytes after it
// to get past it unless a fault stops it first; a sequence cut short is a fault
// only at the end of the input. Returns whether decoding stops there, with
// `status` saying why.
inline bool DecodePortablyPast(std::size_t block, const std::uint8_t*& in, const std::uint8_t* end,
                               char16_t*& out, Utf8Status& status) noexcept {
  const auto size = std::min(static_cast<std::size_t>(end - in), block + kMaxUtf8Carry);
  const bool reachesEnd = in + size == end;
  const Utf8Result step = DecodeUtf8Portable({in, size}, out);
  in += step.bytesRead;
  out += step.unitsWritten;
  status = step.status;
  return status == Utf8Status::Invalid || (status == Utf8Status::Truncated && reachesEnd);
}

template <class V>
Utf8Result DecodeUtf8Blocks(std::span<const std::uint8_t> bytes, char16_t* out) noexcept {
  constexpr int kBlock = V::kBlockBytes;
  constexpr std::uint64_t kWholeBlock = (std::uint64_t{1} << kBlock) - 1;
  constexpr std::uint32_t kLastByte = std::uint32_t{1} << (kBlock - 1);
  const std::uint8_t* in = bytes.data();
  const std::uint8_t* const end = in + bytes.size();
  char16_t* const outStart = out;
  const auto result = [&](Utf8Status status) {
    return Utf8Result{static_cast<std::size_t>(in - bytes.data()),
                      static_cast<std::size_t>(out - outStart), status};
  };

  // A sequence may start in the last two bytes of a block, so the two bytes
  // after it are read as well. A unit is stored for every byte of the block
  // whatever it yields, which the room for a unit per byte covers: units never
  // outnumber the bytes read.
  while (end - in >= kBlock + 2) {
    if (V::HighBits(in) == 0) {
      V::PutAscii(in, out);
      in += kBlock;
      out += kBlock;
      continue;
    }
    const BlockMasks m = V::Classify(in);
    const auto claimed = static_cast<std::uint32_t>(
        (std::uint64_t{m.leads2 | m.leads3} << 1 | std::uint64_t{m.leads3} << 2) & kWholeBlock);
    if ((m.continuations | m.leads2 | m.leads3) != m.high || m.continuations != claimed ||
        m.narrowed != 0) {
      Utf8Status status;
      if (DecodePortablyPast(kBlock, in, end, out, status)) return result(status);
      continue;
    }
    // A sequence that runs past the block waits for the next one. Whether one
    // does is a coin toss in mixed text, so no branch decides the length.
    const std::uint64_t cut = (m.leads2 & kLastByte) | (m.leads3 & (kLastByte | kLastByte >> 1)) |
                              std::uint64_t{1} << kBlock;
    const int length = std::countr_zero(cut);
    const auto starts =
        static_cast<std::uint32_t>(~m.continuations & ((std::uint64_t{1} << length) - 1));
    out = V::PutUnits(in, starts, out);
    in += length;
  }

  const Utf8Result rest = DecodeUtf8Portable({in, end}, out);
  in += rest.bytesRead;
  out += rest.unitsWritten;
  return result(rest.status);
}

#endif

}  // namespace gbkhex::detail
