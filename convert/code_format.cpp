#include "code_format.h"

#include <array>

#include "code_page_936_table.h"

namespace gbkhex {
namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

constexpr std::size_t kHexTokenSize = 3;   // "CA "
constexpr std::size_t kCTokenSize = 5;     // "0XCA,"
constexpr std::size_t kCLineBytes = 16;    // 16 tokens make one 80-character line
constexpr std::size_t kLineBreakSize = 2;  // CR LF

// The two digits of every byte, as NumToStrHex(byte, 1) writes them.
constexpr auto kDigitPairs = [] {
  std::array<std::array<char, 2>, 256> pairs{};
  for (std::size_t b = 0; b < pairs.size(); ++b) {
    pairs[b] = {kDigits[b >> 4], kDigits[b & 0xF]};
  }
  return pairs;
}();

bool IsTwoByteCode(std::uint16_t code) noexcept { return code > 0xFF; }

std::size_t CountBytes(std::u16string_view units) noexcept {
  std::size_t bytes = units.size();
  for (const char16_t unit : units) {
    bytes += IsTwoByteCode(detail::CodePage936Code(unit)) ? 1 : 0;
  }
  return bytes;
}

// The writers below are branch-free per unit, since one-byte and two-byte
// characters alternate unpredictably in mixed text. Each unit writes the token
// of its high byte and then the token of its low byte; for a one-byte code the
// low token lands on the same place and overwrites the high one. A C token is
// likewise always followed by CR LF, which survives only where the next token
// starts a new line, so C output needs kCSlack spare bytes after its end.
constexpr std::size_t kCSlack = kLineBreakSize;

void PutHexToken(char* out, std::uint8_t byte) noexcept {
  const auto& digits = kDigitPairs[byte];
  out[0] = digits[0];
  out[1] = digits[1];
  out[2] = ' ';
}

void WriteHex(std::u16string_view units, char* out) noexcept {
  for (const char16_t unit : units) {
    const std::uint16_t code = detail::CodePage936Code(unit);
    PutHexToken(out, static_cast<std::uint8_t>(code >> 8));
    out += IsTwoByteCode(code) ? kHexTokenSize : 0;
    PutHexToken(out, static_cast<std::uint8_t>(code & 0xFF));
    out += kHexTokenSize;
  }
}

// Where the token of byte `index` of a C text starts, counting from a line start.
constexpr std::size_t CTokenOffset(std::size_t index) noexcept {
  return index * kCTokenSize + index / kCLineBytes * kLineBreakSize;
}

void PutCToken(char* out, std::uint8_t byte) noexcept {
  const auto& digits = kDigitPairs[byte];
  out[0] = '0';
  out[1] = 'X';
  out[2] = digits[0];
  out[3] = digits[1];
  out[4] = ',';
  out[5] = '\r';
  out[6] = '\n';
}

// `firstIndex` is the number of bytes already on the current line: the output
// at `out` continues that line.
void WriteC(std::u16string_view units, char* out, std::size_t firstIndex) noexcept {
  const std::size_t origin = CTokenOffset(firstIndex);
  std::size_t index = firstIndex;
  for (const char16_t unit : units) {
    const std::uint16_t code = detail::CodePage936Code(unit);
    PutCToken(out + (CTokenOffset(index) - origin), static_cast<std::uint8_t>(code >> 8));
    index += IsTwoByteCode(code) ? 1 : 0;
    PutCToken(out + (CTokenOffset(index) - origin), static_cast<std::uint8_t>(code & 0xFF));
    ++index;
  }
}

}  // namespace

std::string NumToStrHex(std::int32_t num, std::int16_t bytLen) {
  if (bytLen <= 0) {
    return {};
  }
  std::array<char, 8> buffer{};
  auto value = static_cast<std::uint32_t>(num);
  std::size_t first = buffer.size();
  do {
    buffer[--first] = kDigits[value & 0xF];
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

void CodeWriter::Append(std::u16string_view units, std::string& out) {
  const std::size_t bytes = CountBytes(units);
  const std::size_t start = out.size();
  if (format_ == OutputFormat::Hexadecimal) {
    out.resize(start + bytes * kHexTokenSize);
    WriteHex(units, out.data() + start);
    return;
  }
  const std::size_t size = start + CTokenOffset(bytesOnLine_ + bytes) - CTokenOffset(bytesOnLine_);
  out.resize(size + kCSlack);
  WriteC(units, out.data() + start, bytesOnLine_);
  out.resize(size);
  bytesOnLine_ = (bytesOnLine_ + bytes) % kCLineBytes;
}

std::string FormatNameToMac(std::u16string_view val, OutputFormat format) {
  std::string result;
  CodeWriter(format).Append(val, result);
  return result;
}

}  // namespace gbkhex
