#include "emit/glyph_header.h"

#include <gtest/gtest.h>

#include <string_view>

namespace gbkhex {
namespace {

// The codes are declared with the bitmaps' words, their byte type made
// unsigned short; a type without an unsigned byte type cannot declare them.
TEST(GlyphHeader, TheCodesTakeTheBitmapsTypeWithUnsignedShort) {
  struct Case {
    std::string_view type;
    std::string_view codeType;  // "" where the type is refused
    std::string_view problem;   // part of the reason
  };
  const Case cases[] = {
      {"const unsigned char code", "const unsigned short code", ""},
      {"__flash const unsigned char", "__flash const unsigned short", ""},
      {"const unsigned  char", "const unsigned short", ""},
      {"static const uint8_t", "static const unsigned short", ""},
      {"const uint_least8_t __attribute__((aligned(4)))",
       "const unsigned short __attribute__((aligned(4)))", ""},
      {"const unsigned charm", "", "no byte type"},
      {"const u8", "", "no byte type"},
      {"const char", "", "signed"},
      {"const signed char", "", "signed"},
      {"const int8_t", "", "signed"},
      {"const unsigned char;", "", "';'"},
  };
  for (const Case& c : cases) {
    const std::string problem = GlyphTypeProblem(c.type);
    if (c.codeType.empty()) {
      EXPECT_NE(problem.find(c.problem), std::string::npos) << c.type << ": " << problem;
    } else {
      EXPECT_EQ(problem, "") << c.type;
      EXPECT_EQ(CodeType(c.type), c.codeType);
    }
  }
  EXPECT_EQ(CodeType(""), "const unsigned short");
}

}  // namespace
}  // namespace gbkhex
