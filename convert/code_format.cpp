#include "code_format.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <cwchar>

#include "convert/gbk_codec.h"

namespace gbkhex {
namespace {

constexpr std::size_t kHexTokenSize = 3;  // "CA "
constexpr std::size_t kCTokenSize = 5;    // "0XCA,"
constexpr std::size_t kCLineBytes = 16;   // 16 tokens make one 80-character line

// The two digits of every byte, as NumToStrHex(byte, 1) writes them.
constexpr auto kDigitPairs = [] {
  std::array<std::array<char, 2>, 256> pairs{};
  for (std::size_t b = 0; b < pairs.size(); ++b) {
    pairs[b] = {kHexDigits[b >> 4], kHexDigits[b & 0xF]};
  }
  return pairs;
}();

bool IsTwoByteCode(std::uint16_t code) noexcept { return code > 0xFF; }

// A line break of the input's own form is written as the two bytes of CR LF,
// which the writers below take for a two-byte code.
constexpr std::uint16_t kCrLfCode = 0x0D0A;

template <InputLineBreak kInput, class In>
std::uint16_t CodeOf(In unit) noexcept {
  const auto u = static_cast<char16_t>(unit);
  const std::uint16_t code = GbkEncoder::CodeOf(u);
  if constexpr (kInput == InputLineBreak::Lf) {
    return u == u'\n' ? kCrLfCode : code;
  } else if constexpr (kInput == InputLineBreak::Separator) {
    // U+2028 and U+2029 differ in their lowest bit only.
    return (u | 1u) == 0x2029 ? kCrLfCode : code;
  } else {
    return code;
  }
}

// The writers below are branch-free per unit, since one-byte and two-byte
// characters alternate unpredictably in mixed text. Each unit writes the token
// of its high byte and then the token of its low byte; for a one-byte code the
// low token lands on the same place and overwrites the high one. A C token is
// likewise always followed by a line break, which survives only where the next
// token starts a new line, so C output needs spare room after its end.

template <class Out>
void PutHexToken(Out* out, std::uint8_t byte) noexcept {
  const auto& digits = kDigitPairs[byte];
  out[0] = static_cast<Out>(digits[0]);
  out[1] = static_cast<Out>(digits[1]);
  out[2] = static_cast<Out>(' ');
}

// Returns the end of what it wrote.
template <InputLineBreak kInput, class In, class Out>
Out* WriteHex(std::basic_string_view<In> units, Out* out) noexcept {
  for (const In unit : units) {
    const std::uint16_t code = CodeOf<kInput>(unit);
    PutHexToken(out, static_cast<std::uint8_t>(code >> 8));
    out += IsTwoByteCode(code) ? kHexTokenSize : 0;
    PutHexToken(out, static_cast<std::uint8_t>(code & 0xFF));
    out += kHexTokenSize;
  }
  return out;
}

constexpr std::size_t SizeOf(LineBreak lineBreak) noexcept {
  return lineBreak == LineBreak::CrLf ? 2 : 1;
}

// Where the token of byte `index` of a C text starts, counting from a line start.
template <LineBreak kBreak>
constexpr std::size_t CTokenOffset(std::size_t index) noexcept {
  return index * kCTokenSize + index / kCLineBytes * SizeOf(kBreak);
}

// Every C token with its line break, padded to eight units: one copy of a
// whole token costs less than a store for each of its units.
constexpr std::size_t kCTokenRoom = 8;
// The room that a C text needs after its end for the last token's copy.
constexpr std::size_t kCTokenSpare = kCTokenRoom - kCTokenSize;

template <LineBreak kBreak, class Out>
constexpr auto kCTokens = [] {
  std::array<std::array<Out, kCTokenRoom>, 256> tokens{};
  for (std::size_t b = 0; b < tokens.size(); ++b) {
    tokens[b] = {Out{'0'}, Out{'X'}, static_cast<Out>(kHexDigits[b >> 4]),
                 static_cast<Out>(kHexDigits[b & 0xF]), Out{','}};
    if constexpr (kBreak == LineBreak::CrLf) {
      tokens[b][5] = Out{'\r'};
      tokens[b][6] = Out{'\n'};
    } else {
      tokens[b][5] = Out{'\n'};
    }
  }
  return tokens;
}();

template <LineBreak kBreak, class Out>
void PutCToken(Out* out, std::uint8_t byte) noexcept {
  std::memcpy(out, kCTokens<kBreak, Out>[byte].data(), sizeof(kCTokens<kBreak, Out>[byte]));
}

// `firstIndex` is the number of bytes already on the current line: the output
// at `out` continues that line. Returns the index that the next byte would have.
template <InputLineBreak kInput, LineBreak kBreak, class In, class Out>
std::size_t WriteC(std::basic_string_view<In> units, Out* out, std::size_t firstIndex) noexcept {
  const std::size_t origin = CTokenOffset<kBreak>(firstIndex);
  std::size_t index = firstIndex;
  for (const In unit : units) {
    const std::uint16_t code = CodeOf<kInput>(unit);
    PutCToken<kBreak>(out + (CTokenOffset<kBreak>(index) - origin),
                      static_cast<std::uint8_t>(code >> 8));
    index += IsTwoByteCode(code) ? 1 : 0;
    PutCToken<kBreak>(out + (CTokenOffset<kBreak>(index) - origin),
                      static_cast<std::uint8_t>(code & 0xFF));
    ++index;
  }
  return index;
}

// Appends the C output of `units` to `out`, whose last `onLine` tokens are on
// the open line; returns the number of bytes written.
template <InputLineBreak kInput, LineBreak kBreak, class In, class Out>
std::size_t AppendC(std::basic_string_view<In> units, std::basic_string<Out>& out,
                    std::size_t onLine) {
  const std::size_t start = out.size();
  const std::size_t most = 2 * units.size();
  out.resize(start + CTokenOffset<kBreak>(onLine + most) + kCTokenSpare);
  const std::size_t index = WriteC<kInput, kBreak>(units, out.data() + start, onLine);
  out.resize(start + CTokenOffset<kBreak>(index) - CTokenOffset<kBreak>(onLine));
  return index - onLine;
}

// The same for bytes, a token each, a line's at a time: no test after each
// token, and the line break that the last one brings stays.
template <LineBreak kBreak>
void AppendCBytes(std::string_view bytes, std::string& out, std::size_t onLine) {
  const std::size_t size =
      CTokenOffset<kBreak>(onLine + bytes.size()) - CTokenOffset<kBreak>(onLine);
  const std::size_t start = out.size();
  out.resize(start + size + kCTokenSpare);
  char* at = out.data() + start;
  const auto* in = reinterpret_cast<const std::uint8_t*>(bytes.data());
  for (std::size_t left = bytes.size(); left > 0;) {
    // The remainder bounds the run by a line, which lets the compiler unroll it.
    const std::size_t room = kCLineBytes - onLine % kCLineBytes;
    const std::size_t run = std::min(room, left);
    for (std::size_t i = 0; i < run; ++i, at += kCTokenSize) PutCToken<kBreak>(at, in[i]);
    in += run;
    left -= run;
    onLine += run;
    if (run == room) at += SizeOf(kBreak);
  }
  out.resize(start + size);
}

void AppendHexBytes(std::string_view bytes, std::string& out) {
  const std::size_t start = out.size();
  out.resize(start + bytes.size() * kHexTokenSize);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    PutHexToken(out.data() + start + i * kHexTokenSize, static_cast<std::uint8_t>(bytes[i]));
  }
}

// Returns the number of bytes written.
template <InputLineBreak kInput, class In, class Out>
std::size_t AppendHex(std::basic_string_view<In> units, std::basic_string<Out>& out) {
  const std::size_t start = out.size();
  out.resize(start + 2 * units.size() * kHexTokenSize);
  const Out* const end = WriteHex<kInput>(units, out.data() + start);
  out.resize(static_cast<std::size_t>(end - out.data()));
  return (out.size() - start) / kHexTokenSize;
}

template <InputLineBreak kInput, class In, class Out>
std::size_t AppendOutput(std::basic_string_view<In> units, std::basic_string<Out>& out,
                         OutputFormat format, LineBreak lineBreak, std::size_t onLine) {
  if (format == OutputFormat::Hexadecimal) return AppendHex<kInput>(units, out);
  return lineBreak == LineBreak::CrLf ? AppendC<kInput, LineBreak::CrLf>(units, out, onLine)
                                      : AppendC<kInput, LineBreak::Lf>(units, out, onLine);
}

}  // namespace

void AppendHexDigits(std::string& out, std::uint32_t value, int digits) {
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
    out += kHexDigits[(value >> shift) & 0xF];
}

std::string NumToStrHex(std::int32_t num, std::int16_t bytLen) {
  if (bytLen <= 0) {
    return {};
  }
  std::array<char, 8> buffer{};
  auto value = static_cast<std::uint32_t>(num);
  std::size_t first = buffer.size();
  do {
    buffer[--first] = kHexDigits[value & 0xF];
    value >>= 4;
  } while (value != 0);
  const std::string_view digits(buffer.data() + first, buffer.size() - first);

  // Computed in full width: a bytLen above 16383 asks for more than 32767
  // digits, which is padding, not a reason to wrap around to a negative width.
  const std::size_t width = 2 * static_cast<std::size_t>(bytLen);
  if (digits.size() >= width) {
    return std::string(digits.substr(digits.size() - width));
  }
  std::string field(width - digits.size(), '0');
  field += digits;
  return field;
}

// Room is made for two bytes a unit and given back afterwards: a pass that
// counted the bytes first would cost a third of the time again, where the spare
// room costs at most the size of the output once more, and only for ASCII.
template <Utf16Unit In, OutputUnit Out>
void CodeWriter::Append(std::basic_string_view<In> units, std::basic_string<Out>& out) {
  const std::size_t onLine = bytesWritten_ % kCLineBytes;
  switch (inputLineBreak_) {
    case InputLineBreak::CrLf:
      bytesWritten_ += AppendOutput<InputLineBreak::CrLf>(units, out, format_, lineBreak_, onLine);
      break;
    case InputLineBreak::Lf:
      bytesWritten_ += AppendOutput<InputLineBreak::Lf>(units, out, format_, lineBreak_, onLine);
      break;
    case InputLineBreak::Separator:
      bytesWritten_ +=
          AppendOutput<InputLineBreak::Separator>(units, out, format_, lineBreak_, onLine);
      break;
  }
}

void CodeWriter::AppendBytes(std::string_view bytes, std::string& out) {
  const std::size_t onLine = bytesWritten_ % kCLineBytes;
  if (format_ == OutputFormat::Hexadecimal) {
    AppendHexBytes(bytes, out);
  } else if (lineBreak_ == LineBreak::CrLf) {
    AppendCBytes<LineBreak::CrLf>(bytes, out, onLine);
  } else {
    AppendCBytes<LineBreak::Lf>(bytes, out, onLine);
  }
  bytesWritten_ += bytes.size();
}

bool CodeWriter::LineIsOpen() const noexcept { return bytesWritten_ % kCLineBytes != 0; }

std::string FormatNameToMac(std::u16string_view val, OutputFormat format) {
  std::string result;
  CodeWriter(format).Append(val, result);
  return result;
}

template <Utf16Unit In, OutputUnit Out>
void FormatNameToMac(std::basic_string_view<In> val, OutputFormat format, LineBreak lineBreak,
                     std::basic_string<Out>& out) {
  out.clear();
  CodeWriter(format, lineBreak).Append(val, out);
}

#define GBKHEX_CONVERSION(In, Out)                                                                \
  template void CodeWriter::Append<In, Out>(std::basic_string_view<In>, std::basic_string<Out>&); \
  template void FormatNameToMac<In, Out>(std::basic_string_view<In>, OutputFormat, LineBreak,     \
                                         std::basic_string<Out>&);

GBKHEX_CONVERSION(char16_t, char)
GBKHEX_CONVERSION(char16_t, char16_t)
// Every unit type that the header admits has its conversion here.
static_assert(Utf16Unit<wchar_t> == (WCHAR_MAX == 0xFFFF));
#if WCHAR_MAX == 0xFFFF
GBKHEX_CONVERSION(char16_t, wchar_t)
GBKHEX_CONVERSION(wchar_t, char)
GBKHEX_CONVERSION(wchar_t, char16_t)
GBKHEX_CONVERSION(wchar_t, wchar_t)
#endif
#undef GBKHEX_CONVERSION

}  // namespace gbkhex
