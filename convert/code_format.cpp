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

// Calls `put(byte)` for each code page 936 byte of `units`, in order.
template <typename PutByte>
void ForEachByte(std::u16string_view units, PutByte&& put) {
  for (const char16_t unit : units) {
    const std::uint16_t code = detail::CodePage936Code(unit);
    if (IsTwoByteCode(code)) {
      put(static_cast<std::uint8_t>(code >> 8));
    }
    put(static_cast<std::uint8_t>(code & 0xFF));
  }
}

char* WriteHex(std::u16string_view units, char* out) {
  ForEachByte(units, [&out](std::uint8_t byte) {
    const auto& digits = kDigitPairs[byte];
    out[0] = digits[0];
    out[1] = digits[1];
    out[2] = ' ';
    out += kHexTokenSize;
  });
  return out;
}

char* WriteC(std::u16string_view units, char* out, std::size_t& bytesOnLine) {
  std::size_t onLine = bytesOnLine;
  ForEachByte(units, [&out, &onLine](std::uint8_t byte) {
    const auto& digits = kDigitPairs[byte];
    out[0] = '0';
    out[1] = 'X';
    out[2] = digits[0];
    out[3] = digits[1];
    out[4] = ',';
    out += kCTokenSize;
    if (++onLine == kCLineBytes) {
      out[0] = '\r';
      out[1] = '\n';
      out += kLineBreakSize;
      onLine = 0;
    }
  });
  bytesOnLine = onLine;
  return out;
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
  const std::size_t lineBreaks = (bytesOnLine_ + bytes) / kCLineBytes;
  out.resize(start + bytes * kCTokenSize + lineBreaks * kLineBreakSize);
  WriteC(units, out.data() + start, bytesOnLine_);
}

std::string FormatNameToMac(std::u16string_view val, OutputFormat format) {
  std::string result;
  CodeWriter(format).Append(val, result);
  return result;
}

}  // namespace gbkhex
