#include "text/utf8.h"

#include <array>
#include <bit>
#include <cstring>

#include "text/utf8_blocks.h"

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

}  // namespace

Utf8Result detail::DecodeUtf8Portable(std::span<const std::uint8_t> bytes, char16_t* out) noexcept {
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

namespace {

constexpr Utf8Decoder kDecoders[] = {
    {"portable", &detail::DecodeUtf8Portable},
#ifdef GBKHEX_UTF8_X86
    {"ssse3", &detail::DecodeUtf8Ssse3},
    {"avx2", &detail::DecodeUtf8Avx2},
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
