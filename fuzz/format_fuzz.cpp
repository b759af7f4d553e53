// Feeds arbitrary UTF-16 text to FormatNameToMac and checks what must hold for
// any input: the output parses back to exactly the code page 936 bytes of every
// unit, each full C line is 80 characters and CR LF, the output written into a
// caller's UTF-16 buffer with LF line breaks is the same text, and pieces
// written through CodeWriter join to the whole in either form.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "convert/code_format.h"
#include "convert/gbk_codec.h"

namespace {

using gbkhex::OutputFormat;

void Check(bool condition) {
  if (!condition) std::abort();
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  std::abort();
}

std::vector<std::uint8_t> ExpectedBytes(std::u16string_view text) {
  std::vector<std::uint8_t> bytes;
  for (const char16_t unit : text) {
    const auto code = gbkhex::GbkEncoder::CodeOf(unit);
    if (code > 0xFF) bytes.push_back(static_cast<std::uint8_t>(code >> 8));
    bytes.push_back(static_cast<std::uint8_t>(code & 0xFF));
  }
  return bytes;
}

void CheckHex(std::string_view out, const std::vector<std::uint8_t>& bytes) {
  Check(out.size() == bytes.size() * 3);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::string_view token = out.substr(i * 3, 3);
    Check(token[2] == ' ');
    Check(HexValue(token[0]) * 16 + HexValue(token[1]) == bytes[i]);
  }
}

void CheckC(std::string_view out, const std::vector<std::uint8_t>& bytes) {
  constexpr std::size_t kLine = 80;
  constexpr std::size_t kTokensPerLine = 16;
  std::size_t pos = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::string_view token = out.substr(pos, 5);
    Check(token.size() == 5 && token[0] == '0' && token[1] == 'X' && token[4] == ',');
    Check(HexValue(token[2]) * 16 + HexValue(token[3]) == bytes[i]);
    pos += 5;
    if ((i + 1) % kTokensPerLine == 0) {
      Check(out.substr(pos, 2) == "\r\n");
      Check(pos >= kLine && out.substr(pos - kLine, kLine).find('\r') == std::string_view::npos);
      pos += 2;
    }
  }
  Check(pos == out.size());
}

// The text with LF alone for each CR LF, as a UTF-16 text box holds it.
std::u16string WithLf(std::string_view out) {
  std::u16string text;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (out.substr(i, 2) != "\r\n") text += static_cast<char16_t>(out[i]);
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks where to split the text for the piecewise check.
  const std::size_t split = data[0];
  std::u16string text((size - 1) / 2, u'\0');
  std::memcpy(text.data(), data + 1, text.size() * 2);

  const std::vector<std::uint8_t> bytes = ExpectedBytes(text);
  const std::string hex = gbkhex::FormatNameToMac(text, OutputFormat::Hexadecimal);
  const std::string c = gbkhex::FormatNameToMac(text, OutputFormat::C);
  CheckHex(hex, bytes);
  CheckC(c, bytes);

  const std::u16string_view view(text);
  const std::size_t cut = split < view.size() ? split : view.size();
  for (const auto& [format, whole] :
       {std::pair{OutputFormat::Hexadecimal, &hex}, std::pair{OutputFormat::C, &c}}) {
    gbkhex::CodeWriter writer(format);
    std::string joined;
    writer.Append(view.substr(0, cut), joined);
    writer.Append(view.substr(cut), joined);
    Check(joined == *whole);

    std::u16string buffer(split, u'x');
    gbkhex::FormatNameToMac(view, format, gbkhex::LineBreak::Lf, buffer);
    Check(buffer == WithLf(*whole));
    gbkhex::CodeWriter lfWriter(format, gbkhex::LineBreak::Lf);
    std::u16string lfJoined;
    lfWriter.Append(view.substr(0, cut), lfJoined);
    lfWriter.Append(view.substr(cut), lfJoined);
    Check(lfJoined == buffer);
  }
  return 0;
}
