#include "emit/string_literal.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "literal_samples.h"

namespace gbkhex::cli {
namespace {

std::string Literals(std::string_view bytes, std::size_t reserve = 0) {
  std::string out;
  StringLiteralWriter writer(reserve);
  writer.Append(bytes, out);
  writer.Finish(out);
  return out;
}

TEST(StringLiteral, WritesEscapesSplitsAndLines) {
  const struct {
    std::string bytes;
    std::string literals;
  } cases[] = {
      {"", "\"\""},
      {"\xD6\xF7\xB2\xCB", "\"\\xD6\\xF7\\xB2\\xCB\""},
      {"\xB5"
       "A\xB5g\xB5"
       "0",
       "\"\\xB5\" \"A\\xB5g\\xB5\" \"0\""},
      {"say \"hi\" \\ ok?", "\"say \\\"hi\\\" \\\\ ok?\""},
      {"?\?=?\?\?", "\"?\\?=?\\?\\?\""},
      {"\n\r\t" + std::string(1, '\0') + "\x7F", "\"\\n\\r\\t\\x00\\x7F\""},
      // 19 escapes fill 78 columns; the 20th goes to a line of its own.
      {std::string(20, '\x80'), "\"" + std::string(19 * 4, 'x') + "\"\r\n\"\\x80\""},
  };
  for (const auto& c : cases) {
    std::string want = c.literals;
    for (std::size_t at = 0; (at = want.find(std::string(4, 'x'), at)) != std::string::npos;) {
      want.replace(at, 4, "\\x80");
    }
    EXPECT_EQ(Literals(c.bytes), want) << c.literals;
  }
  // Room kept on the last line for what follows: its last token moves on,
  // leaving no empty literal behind.
  EXPECT_EQ(Literals(std::string(19, '\x80') + "z", 1), Literals(std::string(19, '\x80') + "z"));
  EXPECT_EQ(Literals(std::string(19, '\x80') + "z", 2),
            Literals(std::string(19, '\x80')) + "\r\n\"z\"");
  EXPECT_EQ(Literals(std::string(18, '\x80') + "A", 3),
            Literals(std::string(18, '\x80')) + "\r\n\"A\"");
}

// Every unit's bytes, and every byte beside every character that could join
// an escape or form a trigraph, through the literals and back, in chunks of any
// size, lines within their width.
TEST(StringLiteral, EveryCodeRoundTripsInLinesOfWholeLiterals) {
  const std::string bytes = LiteralTestBytes();
  std::mt19937 random(14);
  for (const std::size_t reserve : {0, 2}) {
    StringLiteralWriter writer(reserve);
    std::string out;
    for (std::size_t at = 0; at < bytes.size();) {
      const std::size_t size = std::uniform_int_distribution<std::size_t>(0, 300)(random);
      writer.Append(std::string_view(bytes).substr(at, size), out);
      at += size;
    }
    writer.Finish(out);

    std::size_t lines = 0;
    for (std::size_t start = 0; start < out.size(); ++lines) {
      const std::size_t lineBreak = out.find("\r\n", start);
      const bool last = lineBreak == std::string::npos;
      const std::string_view line =
          std::string_view(out).substr(start, (last ? out.size() : lineBreak) - start);
      ASSERT_LE(line.size() + (last ? reserve : 0), kLiteralLineWidth) << line;
      ASSERT_TRUE(line.starts_with('"') && line.ends_with('"')) << line;
      // Whole literals: each line decodes on its own.
      ASSERT_FALSE(DecodeStringLiterals(line).fault) << line;
      start = last ? out.size() : lineBreak + 2;
    }
    EXPECT_GT(lines, bytes.size() / 80);
    EXPECT_EQ(out.find("??"), std::string::npos);
    const LiteralBytes back = DecodeStringLiterals(out);
    ASSERT_FALSE(back.fault) << back.fault->offset << ": " << back.fault->what;
    EXPECT_TRUE(back.bytes == bytes);
  }
}

TEST(StringLiteral, ReadsWhatCompilersReadAndPlacesFaults) {
  const struct {
    std::string_view text;
    std::string_view bytes;
  } good[] = {
      {"\"a\" /* x */ \"b\"\r\n// y\n\"c\"", "abc"},
      {"\"\\'\\\"\\?\\\\\\a\\b\\f\\n\\r\\t\\v\"", "'\"?\\\a\b\f\n\r\t\v"},
      {"\"\\0\\101\\1011\\377\"", std::string_view("\0AA1\xFF", 5)},
      {"\"\\x0000041\\xff\\xA\"", "A\xFF\n"},
      {"\"ab\\\ncd\\\r\nef\"", "abcdef"},
      {"\xEF\xBB\xBF\"\xD6\xD0\t\"", "\xD6\xD0\t"},
  };
  for (const auto& c : good) {
    const LiteralBytes read = DecodeStringLiterals(c.text);
    EXPECT_FALSE(read.fault) << c.text << ": " << read.fault->what;
    EXPECT_EQ(read.bytes, c.bytes) << c.text;
  }
  const struct {
    std::string_view text;
    std::size_t offset;
    std::string_view what;
  } bad[] = {
      {"", 0, "expected a string literal"},
      {"\"a\" x", 4, "expected a string literal or the end"},
      {"  \"abc", 2, "ends inside the string literal"},
      {"\"a\nb\"", 2, "a line break inside"},
      {"\"a\" L\"b\"", 4, "prefixed literal"},
      {"\"ab\\q\"", 3, "unknown escape sequence \\q"},
      {"\"\\400\"", 1, "octal escape \\400 is above"},
      {"\"a\\x100\"", 2, "the escape \\x100... is above"},
      {"\"\\xg\"", 1, "\\x without a hexadecimal digit"},
      {"\"\\u4E2D\"", 1, "universal character name"},
      {"\"a\" /* b", 4, "comment that starts here has no end"},
  };
  for (const auto& c : bad) {
    const LiteralBytes read = DecodeStringLiterals(c.text);
    ASSERT_TRUE(read.fault) << c.text;
    EXPECT_EQ(read.fault->offset, c.offset) << c.text;
    EXPECT_NE(read.fault->what.find(c.what), std::string::npos) << read.fault->what;
  }
  // Within a declaration: the literals end before the ';'.
  const LiteralBytes declared = ReadStringLiterals("x[] = \"\\xB5\" \"A\";", 6);
  EXPECT_EQ(declared.bytes,
            "\xB5"
            "A");
  EXPECT_EQ(declared.end, 16u);
}

}  // namespace
}  // namespace gbkhex::cli
