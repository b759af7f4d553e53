#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace gbkhex {

// Hexadecimal: every byte as two upper-case digits and a blank ("CA AE ").
// C: every byte as a constant and a comma ("0XCA,0XAE,"), cut into lines of
// 80 characters (16 bytes), each full line followed by CR LF.
enum class OutputFormat { Hexadecimal, C };

// How the text that receives the output writes the C format's line breaks:
// CR LF, as the conversion defines them and Windows' edit controls hold them,
// or LF alone, as Qt's text boxes hold them.
enum class LineBreak { CrLf, Lf };

// How the text handed to the conversion writes its line breaks: as CR LF, the
// conversion's own form (and a Windows edit control's); as LF alone (a page's
// text box); or as a paragraph or line separator, U+2029 or U+2028 (a Qt text
// document's raw text). Each line break is written as the bytes 0D 0A.
enum class InputLineBreak { CrLf, Lf, Separator };

// The units that a caller's text may be made of. Input is UTF-16: char16_t,
// or wchar_t where it is 16 bits wide (Windows). Output is ASCII, so any of
// these or char can hold it.
template <class Unit>
concept Utf16Unit = std::same_as<Unit, char16_t> ||
    (std::same_as<Unit, wchar_t> && sizeof(wchar_t) == sizeof(char16_t));
template <class Unit>
concept OutputUnit = std::same_as<Unit, char> || Utf16Unit<Unit>;

// The digits of every hexadecimal number that gbkhex writes: upper case.
inline constexpr char kHexDigits[] = "0123456789ABCDEF";

// Appends the low `digits` hexadecimal digits of `value`, the highest first.
void AppendHexDigits(std::string& out, std::uint32_t value, int digits);

// `num` in upper-case hexadecimal, a field of 2 * bytLen digits: zero-padded
// when shorter, cut to its low-order digits when longer. Negative numbers are
// written as their 32-bit two's complement. A width of 0, or a negative width,
// gives an empty text.
std::string NumToStrHex(std::int32_t num, std::int16_t bytLen);

// The code page 936 bytes of every unit of `val`, written in `format`. A unit
// encoded as one byte is written as that byte, a two-byte unit as its two bytes,
// lead byte first; every token keeps its trailing blank or comma.
std::string FormatNameToMac(std::u16string_view val, OutputFormat format);

// The same output, written over `out`: a caller that converts again and again
// keeps one buffer, in its own unit type and line-break form, and no text is
// made only to be copied into another.
template <Utf16Unit In, OutputUnit Out>
void FormatNameToMac(std::basic_string_view<In> val, OutputFormat format, LineBreak lineBreak,
                     std::basic_string<Out>& out);

// Writes the same output as FormatNameToMac for text that arrives in pieces:
// the C format's 80-character lines run on across calls, so the concatenated
// output equals FormatNameToMac of the concatenated units.
class CodeWriter {
 public:
  explicit CodeWriter(OutputFormat format, LineBreak lineBreak = LineBreak::CrLf,
                      InputLineBreak inputLineBreak = InputLineBreak::CrLf) noexcept
      : format_(format), lineBreak_(lineBreak), inputLineBreak_(inputLineBreak) {}

  // Appends the output for `units` to `out`, growing it exactly once.
  template <Utf16Unit In, OutputUnit Out>
  void Append(std::basic_string_view<In> units, std::basic_string<Out>& out);
  void Append(std::u16string_view units, std::string& out) { Append<char16_t, char>(units, out); }

  // Appends `bytes` as they are, a token each, on the same lines as the text:
  // for what is not text, such as a terminating 00 or the bits of a glyph.
  void AppendBytes(std::string_view bytes, std::string& out);

  // Code page 936 bytes written so far.
  std::uint64_t BytesWritten() const noexcept { return bytesWritten_; }

  // In the C format: whether the output so far stops inside a line, with no
  // CR LF after its last token.
  bool LineIsOpen() const noexcept;

 private:
  OutputFormat format_;
  LineBreak lineBreak_;
  InputLineBreak inputLineBreak_;
  std::uint64_t bytesWritten_ = 0;
};

}  // namespace gbkhex
