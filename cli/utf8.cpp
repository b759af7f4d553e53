#include "cli/utf8.h"

#include <cstring>

namespace gbkhex::cli {
namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080u;

bool IsContinuation(std::uint8_t byte) noexcept { return (byte & 0xC0) == 0x80; }

// How long the sequence that `lead` starts is, 0 when no sequence starts with it
// (continuation bytes, C0 and C1 which could only start overlong forms, F5..FF
// which could only start values above U+10FFFF).
std::size_t SequenceLength(std::uint8_t lead) noexcept {
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
bool SecondByteFits(std::uint8_t lead, std::uint8_t second) noexcept {
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

// Checks the bytes of one sequence that are present, which may be fewer than
// `length`: that is what lets a cut-off tail be told apart from garbage.
bool PrefixIsWellFormed(const std::uint8_t* seq, std::size_t present) noexcept {
  if (present >= 2 && !SecondByteFits(seq[0], seq[1])) return false;
  for (std::size_t i = 2; i < present; ++i) {
    if (!IsContinuation(seq[i])) return false;
  }
  return true;
}

char16_t* PutCodePoint(std::uint32_t cp, char16_t* out) noexcept {
  if (cp < 0x10000) {
    *out++ = static_cast<char16_t>(cp);
    return out;
  }
  cp -= 0x10000;
  *out++ = static_cast<char16_t>(0xD800 + (cp >> 10));
  *out++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  return out;
}

std::uint32_t CodePointOf(const std::uint8_t* seq, std::size_t length) noexcept {
  switch (length) {
    case 2:
      return (seq[0] & 0x1Fu) << 6 | (seq[1] & 0x3Fu);
    case 3:
      return (seq[0] & 0x0Fu) << 12 | (seq[1] & 0x3Fu) << 6 | (seq[2] & 0x3Fu);
    default:
      return (seq[0] & 0x07u) << 18 | (seq[1] & 0x3Fu) << 12 | (seq[2] & 0x3Fu) << 6 |
             (seq[3] & 0x3Fu);
  }
}

}  // namespace

Utf8Result DecodeUtf8(std::span<const std::uint8_t> bytes, char16_t* out) noexcept {
  const std::uint8_t* in = bytes.data();
  const std::uint8_t* const end = in + bytes.size();
  char16_t* const outStart = out;
  const auto result = [&](Utf8Status status) {
    return Utf8Result{static_cast<std::size_t>(in - bytes.data()),
                      static_cast<std::size_t>(out - outStart), status};
  };

  while (in != end) {
    // Text is mostly ASCII or mostly three-byte CJK; eight ASCII bytes at a
    // time keeps the first kind near memory speed.
    while (end - in >= 8) {
      std::uint64_t word;
      std::memcpy(&word, in, sizeof word);
      if ((word & kHighBits) != 0) break;
      for (int i = 0; i < 8; ++i) out[i] = in[i];
      in += 8;
      out += 8;
    }
    if (in == end) break;

    const std::uint8_t lead = *in;
    if (lead < 0x80) {
      *out++ = lead;
      ++in;
      continue;
    }
    const std::size_t length = SequenceLength(lead);
    if (length == 0) return result(Utf8Status::Invalid);
    const auto present = static_cast<std::size_t>(end - in);
    if (present < length) {
      return result(PrefixIsWellFormed(in, present) ? Utf8Status::Truncated : Utf8Status::Invalid);
    }
    if (!PrefixIsWellFormed(in, length)) return result(Utf8Status::Invalid);
    out = PutCodePoint(CodePointOf(in, length), out);
    in += length;
  }
  return result(Utf8Status::Complete);
}

}  // namespace gbkhex::cli
