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

// Returns the end of what it wrote.
char* WriteHex(std::u16string_view units, char* out) noexcept {
  for (const char16_t unit : units) {
    const std::uint16_t code = detail::CodePage936Code(unit);
    PutHexToken(out, static_cast<std::uint8_t>(code >> 8));
    out += IsTwoByteCode(code) ? kHexTokenSize : 0;
    PutHexToken(out, static_cast<std::uint8_t>(code & 0xFF));
    out += kHexTokenSize;
  }
  return out;
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
// at `out` continues that line. Returns the index that the next byte would have.
std::size_t WriteC(std::u16string_view units, char* out, std::size_t firstIndex) noexcept {
  const std::size_t origin = CTokenOffset(firstIndex);
  std::size_t index = firstIndex;
  for (const char16_t unit : units) {
    const std::uint16_t code = detail::CodePage936Code(unit);
    PutCToken(out + (CTokenOffset(index) - origin), static_cast<std::uint8_t>(code >> 8));
    index += IsTwoByteCode(code) ? 1 : 0;
    PutCToken(out + (CTokenOffset(index) - origin), static_cast<std::uint8_t>(code & 0xFF));
    ++index;
  }
  return index;
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

// Room is made for two bytes a unit and given back afterwards: a pass that
// counted the bytes first would cost a third of the time again, where the spare
// room costs at most the size of the output once more, and only for ASCII.
void CodeWriter::Append(std::u16string_view units, std::string& out) {
  const std::size_t start = out.size();
  const std::size_t most = 2 * units.size();
  if (format_ == OutputFormat::Hexadecimal) {
    out.resize(start + most * kHexTokenSize);
    const char* const end = WriteHex(units, out.data() + start);
    out.resize(static_cast<std::size_t>(end - out.data()));
    bytesWritten_ += (out.size() - start) / kHexTokenSize;
    return;
  }
  const std::size_t onLine = bytesWritten_ % kCLineBytes;
  out.resize(start + CTokenOffset(onLine + most) + kCSlack);
  const std::size_t index = WriteC(units, out.data() + start, onLine);
  out.resize(start + CTokenOffset(index) - CTokenOffset(onLine));
  bytesWritten_ += index - onLine;
}

bool CodeWriter::LineIsOpen() const noexcept { return bytesWritten_ % kCLineBytes != 0; }

std::string FormatNameToMac(std::u16string_view val, OutputFormat format) {
  std::string result;
  CodeWriter(format).Append(val, result);
  return result;
}

}  // namespace gbkhex
