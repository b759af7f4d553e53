#include "cli/code_page_936_bytes.h"

#include "convert/code_page_936_table.h"

namespace gbkhex::cli {

void AppendCodePage936Bytes(std::u16string_view units, std::string& out) {
  const std::size_t start = out.size();
  out.resize(start + 2 * units.size());
  char* at = out.data() + start;
  for (const char16_t unit : units) {
    // The lead byte is stored either way and kept only for a two-byte code,
    // so that text mixing ASCII and Chinese meets no branch to mispredict.
    const std::uint16_t code = detail::CodePage936Code(unit);
    *at = static_cast<char>(code >> 8);
    at += code > 0xFF ? 1 : 0;
    *at++ = static_cast<char>(code & 0xFF);
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

}  // namespace gbkhex::cli
