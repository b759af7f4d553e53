#include "text/utf8.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#if (defined(__GNUC__) || defined(__clang__)) && !defined(_MSC_VER) && \
    (defined(__x86_64__) || defined(__i386__))
#define GBKHEX_UTF8_X86 1
#include <immintrin.h>
#endif

namespace gbkhex {
namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080u;

constexpr bool IsContinuation(std::uint8_t byte) noexcept { return (byte & 0xC0) == 0x80; }

// How long the sequence that `lead` starts is, 0 when no sequence starts with it
// (continuation bytes, C0 and C1 which could only start overlong forms, F5..FF
// which could only start values above U+10FFFF).
constexpr std::size_t SequenceLength(std::uint8_t lead) noexcept {
  if (lead < 0x80) return 1;
  if (lead < 0xC2) return 0;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  if (lead < 0xF5) return 4;
  return 0;
}

// The range that the byte after `lead` must fall in: narrower than 80..BF for
// the leads whose full range would admit overlong forms, surrogates or values
// above U+10FFFF.
constexpr bool SecondByteFits(std::uint8_t lead, std::uint8_t second) noexcept {
  switch (lead) {
    case 0xE0:
      return second >= 0xA0 && second <= 0xBF;
    case 0xED:
      return second >= 0x80 && second <= 0x9F;
    case 0xF0:
      return second >= 0x90 && second <= 0xBF;
    case 0xF4:
      return second >= 0x80 && second <= 0x8F;
    default:
      return IsContinuation(second);
  }
}

// Per lead byte: the length of its sequence and the range of its second byte.
// Looking these up instead of branching on them spares text that mixes ASCII
// and CJK at random a mispredicted branch on every character.
struct LeadInfo {
  std::uint8_t length = 0;
  std::uint8_t secondLow = 0x00;
  std::uint8_t secondHigh = 0xFF;
};

constexpr auto kLeads = [] {
  std::array<LeadInfo, 256> leads{};
  for (std::size_t b = 0; b < leads.size(); ++b) {
    const auto lead = static_cast<std::uint8_t>(b);
    leads[b].length = static_cast<std::uint8_t>(SequenceLength(lead));
    if (leads[b].length < 2) continue;
    std::uint8_t low = 0x80;
    while (!SecondByteFits(lead, low)) ++low;
    std::uint8_t high = 0xBF;
    while (!SecondByteFits(lead, high)) --high;
    leads[b].secondLow = low;
    leads[b].secondHigh = high;
  }
  return leads;
}();

// By sequence length: the bits of the lead byte that carry the value, and the
// bits of the third and fourth bytes that must read 10 in continuation bytes.
constexpr std::uint32_t kLeadValueMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
constexpr std::uint32_t kTailContinuationMask[] = {0, 0, 0, 0xC000, 0xC0C0};

// Checks the bytes of one sequence that are present, which may be fewer than
// its length: that is what tells a cut-off tail from garbage.
bool PrefixIsWellFormed(const std::uint8_t* seq, std::size_t present) noexcept {
  if (present >= 2 && !SecondByteFits(seq[0], seq[1])) return false;
  for (std::size_t i = 2; i < present; ++i) {
    if (!IsContinuation(seq[i])) return false;
  }
  return true;
}

// Reads four bytes (b0 leading) as one sequence of `length`: the bytes past its
// end fall away in the final shift.
std::uint32_t CodePointOf(std::uint32_t b0, std::uint32_t b1, std::uint32_t b2, std::uint32_t b3,
                          std::uint32_t length) noexcept {
  return ((b0 & kLeadValueMask[length]) << 18 | (b1 & 0x3Fu) << 12 | (b2 & 0x3Fu) << 6 |
          (b3 & 0x3Fu)) >>
         (6 * (4 - length));
}

// Writes one or two units. out[1] is written even for one unit, which keeps the
// branch away; callers leave room for it.
char16_t* PutCodePoint(std::uint32_t cp, char16_t* out) noexcept {
  const bool pair = cp >= 0x10000;
  const std::uint32_t above = cp - 0x10000;
  out[0] = static_cast<char16_t>(pair ? 0xD800 + (above >> 10) : cp);
  out[1] = static_cast<char16_t>(0xDC00 + (above & 0x3FF));
  return out + (pair ? 2 : 1);
}

Utf8Result DecodeUtf8Portable(std::span<const std::uint8_t> bytes, char16_t* out) noexcept {
  const std::uint8_t* in = bytes.data();
  const std::uint8_t* const end = in + bytes.size();
  char16_t* const outStart = out;
  const auto result = [&](Utf8Status status) {
    return Utf8Result{static_cast<std::size_t>(in - bytes.data()),
                      static_cast<std::size_t>(out - outStart), status};
  };

  // Eight bytes at a time. The sequences that start in a word are found from a
  // mask of its non-continuation bytes, so finding the next one never waits for
  // the one before it to be decoded. Sixteen bytes left leave room to read any
  // sequence that starts in the word whole, before its length is known; units
  // never outnumber bytes read, so out[1] is in range too.
  while (end - in >= 16) {
    std::uint64_t word;
    std::memcpy(&word, in, sizeof word);
    if ((word & kHighBits) == 0) {
      for (int i = 0; i < 8; ++i) out[i] = in[i];
      in += 8;
      out += 8;
      continue;
    }
    std::uint64_t starts = ~(word & ~(word << 1)) & kHighBits;
    std::uint32_t next = 0;  // where the next sequence must start
    while (starts != 0) {
      const auto at = static_cast<std::uint32_t>(std::countr_zero(starts)) / 8;
      starts &= starts - 1;
      if (at != next) {  // continuation bytes that no lead byte claims
        in += next;
        return result(Utf8Status::Invalid);
      }
      const std::uint8_t* const seq = in + at;
      const std::uint32_t b0 = seq[0], b1 = seq[1], b2 = seq[2], b3 = seq[3];
      const LeadInfo& lead = kLeads[b0];
      const bool secondFits = static_cast<std::uint8_t>(b1 - lead.secondLow) <=
                              static_cast<std::uint8_t>(lead.secondHigh - lead.secondLow);
      const bool tailFits = (((b2 << 8 | b3) ^ 0x8080u) & kTailContinuationMask[lead.length]) == 0;
      if (!((lead.length != 0) & secondFits & tailFits)) {
        in = seq;
        return result(Utf8Status::Invalid);
      }
      out = PutCodePoint(CodePointOf(b0, b1, b2, b3, lead.length), out);
      next = at + lead.length;
    }
    // A word of continuation bytes alone starts nothing: the next round finds
    // them unclaimed.
    if (next == 0) return result(Utf8Status::Invalid);
    in += next;
  }

  // The last bytes, where a sequence may be cut short.
  while (in != end) {
    const std::size_t length = kLeads[*in].length;
    const auto present = static_cast<std::size_t>(end - in);
    if (length == 0) return result(Utf8Status::Invalid);
    if (present < length) {
      return result(PrefixIsWellFormed(in, present) ? Utf8Status::Truncated : Utf8Status::Invalid);
    }
    if (!PrefixIsWellFormed(in, length)) return result(Utf8Status::Invalid);
    std::uint8_t seq[4] = {};
    std::memcpy(seq, in, length);
    const std::uint32_t cp =
        CodePointOf(seq[0], seq[1], seq[2], seq[3], static_cast<std::uint32_t>(length));
    // A last one-byte sequence may have room for exactly one unit.
    if (cp < 0x10000) {
      *out++ = static_cast<char16_t>(cp);
    } else {
      out = PutCodePoint(cp, out);
    }
    in += length;
  }
  return result(Utf8Status::Complete);
}

#ifdef GBKHEX_UTF8_X86

// The vector decoder below takes blocks of 16 or 32 bytes that hold only
// sequences of one to three bytes, which is all text below U+10000: each byte
// is decoded as if a sequence started there, and the lanes where one does start
// are packed together. A block with anything else in it, a four-byte sequence
// or a fault, goes to the portable decoder, which also finds the exact place of
// a fault.
//
// The decoder is one template over the vector width; Ssse3 and Avx2 below give
// it the instructions of each width. Only they touch vectors, and they carry
// their instruction set in a target attribute, so nothing but bytes, masks and
// pointers crosses between them and the template, whatever the compiler
// inlines: a vector passed by value between code with and without AVX would be
// passed two different ways.

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

constexpr auto kLanePackings = [] {
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

// Sixteen bytes a block.
struct Ssse3 {
  static constexpr int kBlockBytes = 16;

  [[gnu::target("ssse3")]] static __m128i Load(const std::uint8_t* bytes) noexcept {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
  }

  [[gnu::target("ssse3")]] static std::uint32_t Mask(__m128i bytes) noexcept {
    return static_cast<std::uint32_t>(_mm_movemask_epi8(bytes));
  }

  [[gnu::target("ssse3")]] static std::uint32_t HighBits(const std::uint8_t* in) noexcept {
    return Mask(Load(in));
  }

  // Reads the block at `in` and the byte after it.
  [[gnu::target("ssse3")]] static BlockMasks Classify(const std::uint8_t* in) noexcept {
    const __m128i block = Load(in);
    const __m128i second = Load(in + 1);
    // Signed bytes: continuations 80..BF are below -64, leads C2..DF run from -62 to -33.
    const __m128i secondBelowA0 = _mm_cmplt_epi8(second, _mm_set1_epi8(-96));
    return {
        Mask(block),
        Mask(_mm_cmplt_epi8(block, _mm_set1_epi8(-64))),
        Mask(_mm_and_si128(_mm_cmpgt_epi8(block, _mm_set1_epi8(-63)),
                           _mm_cmplt_epi8(block, _mm_set1_epi8(-32)))),
        Mask(_mm_cmpeq_epi8(_mm_and_si128(block, _mm_set1_epi8(-16)), _mm_set1_epi8(-32))),
        Mask(_mm_or_si128(
            _mm_and_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8(-32)), secondBelowA0),
            _mm_andnot_si128(secondBelowA0, _mm_cmpeq_epi8(block, _mm_set1_epi8(-19))))),
    };
  }

  // A block of ASCII: a unit per byte.
  [[gnu::target("ssse3")]] static void PutAscii(const std::uint8_t* in, char16_t* out) noexcept {
    const __m128i block = Load(in);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                     _mm_unpacklo_epi8(block, _mm_setzero_si128()));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8),
                     _mm_unpackhi_epi8(block, _mm_setzero_si128()));
  }

  // Eight lanes, each holding a byte and the two after it as if a sequence of
  // one to three bytes started there, become the units of the lanes in `starts`.
  [[gnu::target("ssse3")]] static char16_t* PutLanes(__m128i b0, __m128i b1, __m128i b2,
                                                     std::uint32_t starts, char16_t* out) noexcept {
    const __m128i low6 = _mm_set1_epi16(0x3F);
    const __m128i t1 = _mm_and_si128(b1, low6);
    // The 16-bit shift drops the lead byte's 1110 by itself.
    const __m128i three = _mm_or_si128(_mm_or_si128(_mm_slli_epi16(b0, 12), _mm_slli_epi16(t1, 6)),
                                       _mm_and_si128(b2, low6));
    const __m128i two =
        _mm_or_si128(_mm_slli_epi16(_mm_and_si128(b0, _mm_set1_epi16(0x1F)), 6), t1);
    const __m128i isThree = _mm_cmpgt_epi16(b0, _mm_set1_epi16(0xDF));
    const __m128i isAscii = _mm_cmplt_epi16(b0, _mm_set1_epi16(0x80));
    const __m128i multi =
        _mm_or_si128(_mm_and_si128(isThree, three), _mm_andnot_si128(isThree, two));
    const __m128i units =
        _mm_or_si128(_mm_and_si128(isAscii, b0), _mm_andnot_si128(isAscii, multi));
    const LanePacking& packing = kLanePackings[starts];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                     _mm_shuffle_epi8(units, Load(packing.shuffle.data())));
    return out + packing.count;
  }

  // The units of the sequences that start at the bytes of the block in `starts`.
  [[gnu::target("ssse3")]] static char16_t* PutUnits(const std::uint8_t* in, std::uint32_t starts,
                                                     char16_t* out) noexcept {
    const __m128i zero = _mm_setzero_si128();
    const __m128i b0 = Load(in);
    const __m128i b1 = Load(in + 1);
    const __m128i b2 = Load(in + 2);
    out = PutLanes(_mm_unpacklo_epi8(b0, zero), _mm_unpacklo_epi8(b1, zero),
                   _mm_unpacklo_epi8(b2, zero), starts & 0xFF, out);
    return PutLanes(_mm_unpackhi_epi8(b0, zero), _mm_unpackhi_epi8(b1, zero),
                    _mm_unpackhi_epi8(b2, zero), starts >> 8, out);
  }
};

// Thirty-two bytes a block.
struct Avx2 {
  static constexpr int kBlockBytes = 32;

  [[gnu::target("avx2")]] static __m256i Load(const std::uint8_t* bytes) noexcept {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
  }

  [[gnu::target("avx2")]] static std::uint32_t Mask(__m256i bytes) noexcept {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(bytes));
  }

  [[gnu::target("avx2")]] static std::uint32_t HighBits(const std::uint8_t* in) noexcept {
    return Mask(Load(in));
  }

  [[gnu::target("avx2")]] static BlockMasks Classify(const std::uint8_t* in) noexcept {
    const __m256i block = Load(in);
    const __m256i second = Load(in + 1);
    const __m256i secondBelowA0 = _mm256_cmpgt_epi8(_mm256_set1_epi8(-96), second);
    return {
        Mask(block),
        Mask(_mm256_cmpgt_epi8(_mm256_set1_epi8(-64), block)),
        Mask(_mm256_and_si256(_mm256_cmpgt_epi8(block, _mm256_set1_epi8(-63)),
                              _mm256_cmpgt_epi8(_mm256_set1_epi8(-32), block))),
        Mask(_mm256_cmpeq_epi8(_mm256_and_si256(block, _mm256_set1_epi8(-16)),
                               _mm256_set1_epi8(-32))),
        Mask(_mm256_or_si256(
            _mm256_and_si256(_mm256_cmpeq_epi8(block, _mm256_set1_epi8(-32)), secondBelowA0),
            _mm256_andnot_si256(secondBelowA0, _mm256_cmpeq_epi8(block, _mm256_set1_epi8(-19))))),
    };
  }

  // Widens 16 bytes, the low or high half of `bytes`, to 16-bit lanes in order.
  template <int half>
  [[gnu::target("avx2")]] static __m256i Widen(__m256i bytes) noexcept {
    return _mm256_cvtepu8_epi16(_mm256_extracti128_si256(bytes, half));
  }

  [[gnu::target("avx2")]] static void PutAscii(const std::uint8_t* in, char16_t* out) noexcept {
    const __m256i block = Load(in);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), Widen<0>(block));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 16), Widen<1>(block));
  }

  // As Ssse3::PutLanes, for sixteen lanes at once.
  [[gnu::target("avx2")]] static char16_t* PutLanes(__m256i b0, __m256i b1, __m256i b2,
                                                    std::uint32_t starts, char16_t* out) noexcept {
    const __m256i low6 = _mm256_set1_epi16(0x3F);
    const __m256i t1 = _mm256_and_si256(b1, low6);
    const __m256i three =
        _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi16(b0, 12), _mm256_slli_epi16(t1, 6)),
                        _mm256_and_si256(b2, low6));
    const __m256i two =
        _mm256_or_si256(_mm256_slli_epi16(_mm256_and_si256(b0, _mm256_set1_epi16(0x1F)), 6), t1);
    const __m256i isThree = _mm256_cmpgt_epi16(b0, _mm256_set1_epi16(0xDF));
    const __m256i isAscii = _mm256_cmpgt_epi16(_mm256_set1_epi16(0x80), b0);
    const __m256i units = _mm256_blendv_epi8(_mm256_blendv_epi8(two, three, isThree), b0, isAscii);
    // The shuffle stays within each 128-bit half, eight lanes each.
    const LanePacking& low = kLanePackings[starts & 0xFF];
    const LanePacking& high = kLanePackings[starts >> 8];
    const __m256i shuffle = _mm256_inserti128_si256(
        _mm256_castsi128_si256(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(low.shuffle.data()))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(high.shuffle.data())), 1);
    const __m256i packed = _mm256_shuffle_epi8(units, shuffle);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(packed));
    out += low.count;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_extracti128_si256(packed, 1));
    return out + high.count;
  }

  [[gnu::target("avx2")]] static char16_t* PutUnits(const std::uint8_t* in, std::uint32_t starts,
                                                    char16_t* out) noexcept {
    const __m256i b0 = Load(in);
    const __m256i b1 = Load(in + 1);
    const __m256i b2 = Load(in + 2);
    out = PutLanes(Widen<0>(b0), Widen<0>(b1), Widen<0>(b2), starts & 0xFFFF, out);
    return PutLanes(Widen<1>(b0), Widen<1>(b1), Widen<1>(b2), starts >> 16, out);
  }
};

// The portable decoder, called rather than inlined: the vector decoder has no
// use for a copy of its own.
[[gnu::noinline]] Utf8Result DecodePortably(std::span<const std::uint8_t> bytes,
                                            char16_t* out) noexcept {
  return DecodeUtf8Portable(bytes, out);
}

// Decodes a block that the vector code turned down, and enough bytes after it
// to get past it unless a fault stops it first; a sequence cut short is a fault
// only at the end of the input. Returns whether decoding stops there, with
// `status` saying why.
bool DecodePortablyPast(std::size_t block, const std::uint8_t*& in, const std::uint8_t* end,
                        char16_t*& out, Utf8Status& status) noexcept {
  const auto size = std::min(static_cast<std::size_t>(end - in), block + kMaxUtf8Carry);
  const bool reachesEnd = in + size == end;
  const Utf8Result step = DecodePortably({in, size}, out);
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

  const Utf8Result rest = DecodePortably({in, end}, out);
  in += rest.bytesRead;
  out += rest.unitsWritten;
  return result(rest.status);
}

// The template's calls into each width are inlined here, where the target
// allows them.
[[gnu::target("ssse3"), gnu::flatten]] Utf8Result DecodeUtf8Ssse3(
    std::span<const std::uint8_t> bytes, char16_t* out) noexcept {
  return DecodeUtf8Blocks<Ssse3>(bytes, out);
}

[[gnu::target("avx2"), gnu::flatten]] Utf8Result DecodeUtf8Avx2(std::span<const std::uint8_t> bytes,
                                                                char16_t* out) noexcept {
  return DecodeUtf8Blocks<Avx2>(bytes, out);
}

#endif

constexpr Utf8Decoder kDecoders[] = {
    {"portable", &DecodeUtf8Portable},
#ifdef GBKHEX_UTF8_X86
    {"ssse3", &DecodeUtf8Ssse3},
    {"avx2", &DecodeUtf8Avx2},
#endif
};

}  // namespace

std::span<const Utf8Decoder> Utf8DecodersForThisCpu() noexcept {
  static const std::size_t usable = [] {
#ifdef GBKHEX_UTF8_X86
    // Every processor with AVX2 has SSSE3 too.
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return std::size_t{3};
    if (__builtin_cpu_supports("ssse3")) return std::size_t{2};
#endif
    return std::size_t{1};
  }();
  return {kDecoders, usable};
}

std::size_t IllFormedUtf8Length(std::span<const std::uint8_t> bytes) noexcept {
  if (bytes.empty()) return 0;
  const std::size_t length = SequenceLength(bytes[0]);
  std::size_t present = 1;
  while (present < length && present < bytes.size() &&
         PrefixIsWellFormed(bytes.data(), present + 1)) {
    ++present;
  }
  return present;
}

Utf8Character DecodeUtf8Character(std::span<const std::uint8_t> bytes) noexcept {
  if (bytes.empty()) return {};
  const std::size_t length = kLeads[bytes[0]].length;
  if (length == 0 || bytes.size() < length || !PrefixIsWellFormed(bytes.data(), length)) return {};
  std::uint8_t seq[4] = {};
  std::memcpy(seq, bytes.data(), length);
  return {CodePointOf(seq[0], seq[1], seq[2], seq[3], static_cast<std::uint32_t>(length)), length};
}

Utf8Result DecodeUtf8(std::span<const std::uint8_t> bytes, char16_t* out) noexcept {
  return Utf8DecodersForThisCpu().back().decode(bytes, out);
}

}  // namespace gbkhex
