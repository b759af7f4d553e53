#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace gbkhex {

// Hexadecimal: every byte as two upper-case digits and a blank ("CA AE ").
// C: every byte as a constant and a comma ("0XCA,0XAE,"), cut into lines of
// 80 characters (16 bytes), each full line followed by CR LF.
enum class OutputFormat { Hexadecimal, C };

// `num` in upper-case hexadecimal, a field of 2 * bytLen digits: zero-padded
// when shorter, cut to its low-order digits when longer. Negative numbers are
// written as their 32-bit two's complement. A width of 0, or a negative width,
// gives an empty text.
std::string NumToStrHex(std::int32_t num, std::int16_t bytLen);

// The code page 936 bytes of every unit of `val`, written in `format`. A unit
// encoded as one byte is written as that byte, a two-byte unit as its two bytes,
// lead byte first; every token keeps its trailing blank or comma.
std::string FormatNameToMac(std::u16string_view val, OutputFormat format);

// Writes the same output as FormatNameToMac for text that arrives in pieces:
// the C format's 80-character lines run on across calls, so the concatenated
// output equals FormatNameToMac of the concatenated units.
class CodeWriter {
 public:
  explicit CodeWriter(OutputFormat format) noexcept : format_(format) {}

  // Appends the output for `units` to `out`, growing it exactly once.
  void Append(std::u16string_view units, std::string& out);

  // Code page 936 bytes written so far.
  std::uint64_t BytesWritten() const noexcept { return bytesWritten_; }

  // In the C format: whether the output so far stops inside a line, with no
  // CR LF after its last token.
  bool LineIsOpen() const noexcept;

 private:
  OutputFormat format_;
  std::uint64_t bytesWritten_ = 0;
};

}  // namespace gbkhex
