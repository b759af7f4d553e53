// UTF-16 to UTF-8 over every Unicode scalar value, against glibc iconv, and
// what becomes of a surrogate that is not half of a pair, which iconv refuses.

#include "convert/unicode.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace gbkhex {
namespace {

std::string IconvUtf8FromUtf16(const std::u16string& units) {
  const iconv_t cd = iconv_open("UTF-8", "UTF-16LE");
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string in;
  for (const char16_t unit : units) {
    in += static_cast<char>(unit & 0xFF);
    in += static_cast<char>(unit >> 8);
  }
  std::string out(in.size() * 2, '\0');
  char* inPtr = in.data();
  char* outPtr = out.data();
  std::size_t inLeft = in.size();
  std::size_t outLeft = out.size();
  const bool converted =
      iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (!converted) return {};
  out.resize(out.size() - outLeft);
  return out;
}

TEST(Utf8FromUtf16, EveryScalarValueAsIconvWritesItAndLoneSurrogatesAsReplacement) {
  std::u16string all;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    if (c < 0x10000) {
      all += static_cast<char16_t>(c);
    } else {
      all += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      all += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  const std::string expected = IconvUtf8FromUtf16(all);
  ASSERT_FALSE(expected.empty()) << "glibc iconv refused UTF-16LE to UTF-8";
  EXPECT_EQ(Utf8FromUtf16(all), expected);

  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(Utf8FromUtf16(u"a\xD800"), "a" + replacement);
  EXPECT_EQ(Utf8FromUtf16(u"\xDC00"
                          "b"),
            replacement + "b");
  EXPECT_EQ(Utf8FromUtf16(u"\xD800"
                          "b"),
            replacement + "b");
  EXPECT_EQ(Utf8FromUtf16(u"\xDC00\xD800"), replacement + replacement);
  EXPECT_EQ(Utf8FromUtf16(u"\xD800\xD800\xDC00"), replacement + "\xF0\x90\x80\x80");
}

}  // namespace
}  // namespace gbkhex
