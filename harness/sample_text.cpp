// Writes the sample text as UTF-8, with LF for a line break, for the page's
// tests and benchmarks:  sample_text CHARACTERS one-paragraph|lines

#include "harness/sample_text.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "convert/unicode.h"

int main(int argc, char* argv[]) {
  using gbkhex::harness::SampleShape;
  const std::string_view shape = argc == 3 ? argv[2] : "";
  char* end = nullptr;
  const unsigned long size = argc == 3 ? std::strtoul(argv[1], &end, 10) : 0;
  if ((shape != "one-paragraph" && shape != "lines") || end == argv[1] || *end != '\0') {
    std::fputs("usage: sample_text CHARACTERS one-paragraph|lines\n", stderr);
    return 2;
  }
  const std::string utf8 = gbkhex::Utf8FromUtf16(gbkhex::harness::SampleText<char16_t>(
      size, shape == "lines" ? SampleShape::Lines : SampleShape::OneParagraph, u"\n"));
  return std::fwrite(utf8.data(), 1, utf8.size(), stdout) == utf8.size() && std::fflush(stdout) == 0
             ? 0
             : 1;
}
