#include "emit/code_page_936_bytes.h"

#include "convert/code_page_936_table.h"

namespace gbkhex {

void AppendCodePage936Bytes(std::u16string_view units, std::string& out) {
  const std::size_t start = out.size();
  out.resize(start + 2 * units.size());
  char* at = out.data() + start;
  for (const char16_t unit : units) {
    // Two bytes are stored either way: the lead byte and the trail byte, or
    // the one byte and a 00 that the next code overwrites. Which is chosen by
    // a mask, not a branch, which text mixing ASCII and Chinese at random
    // would mispredict every third character.
    const std::uint32_t code = detail::CodePage936Code(unit);
    const std::uint32_t two = (code >> 8) != 0 ? 1 : 0;
    const std::uint32_t swapped = (code << 8 | code >> 8) & 0xFFFF;
    const std::uint32_t first = code ^ ((code ^ swapped) & (0 - two));
    at[0] = static_cast<char>(first);
    at[1] = static_cast<char>(first >> 8);
    at += 1 + two;
  }
  out.resize(static_cast<std::size_t>(at - out.data()));
}

std::string CodePage936Bytes(std::u16string_view units) {
  std::string bytes;
  AppendCodePage936Bytes(units, bytes);
  return bytes;
}

std::u16string_view UnitsToWrite(std::u16string_view units, Charset charset,
                                 std::u16string& buffer) {
  if (charset != Charset::Gb2312 ||
      units.find_first_of(u"\u2015\u30FB") == std::u16string_view::npos) {
    return units;
  }
  buffer.assign(units);
  for (char16_t& unit : buffer) unit = UnitToWrite(charset, unit);
  return buffer;
}

void AppendBytesToWrite(std::u16string_view units, Charset charset, std::string& out) {
  std::u16string buffer;
  AppendCodePage936Bytes(UnitsToWrite(units, charset, buffer), out);
}

}  // namespace gbkhex
