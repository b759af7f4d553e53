// Writes the sample text as UTF-8, with LF for a line break, for the page's
// tests and benchmarks:  sample_text CHARACTERS one-paragraph|lines

#include "harness/sample_text.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void AppendUtf8(char16_t unit, std::string& out) {
  if (unit < 0x80) {
    out += static_cast<char>(unit);
  } else if (unit < 0x800) {
    out += static_cast<char>(0xC0 | unit >> 6);
    out += static_cast<char>(0x80 | (unit & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | unit >> 12);
    out += static_cast<char>(0x80 | (unit >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (unit & 0x3F));
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  using gbkhex::harness::SampleShape;
  const std::string_view shape = argc == 3 ? argv[2] : "";
  char* end = nullptr;
  const unsigned long size = argc == 3 ? std::strtoul(argv[1], &end, 10) : 0;
  if ((shape != "one-paragraph" && shape != "lines") || end == argv[1] || *end != '\0') {
    std::fputs("usage: sample_text CHARACTERS one-paragraph|lines\n", stderr);
    return 2;
  }
  // The sample text has no surrogates: every unit is a character of its own.
  const std::u16string text = gbkhex::harness::SampleText<char16_t>(
      size, shape == "lines" ? SampleShape::Lines : SampleShape::OneParagraph, u"\n");
  std::string utf8;
  utf8.reserve(3 * text.size());
  for (const char16_t unit : text) AppendUtf8(unit, utf8);
  return std::fwrite(utf8.data(), 1, utf8.size(), stdout) == utf8.size() && std::fflush(stdout) == 0
             ? 0
             : 1;
}
