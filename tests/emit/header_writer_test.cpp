#include "emit/header_writer.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>

#include "convert/code_format.h"
#include "convert/gbk_codec.h"
#include "emit/character_list.h"
#include "emit/string_literal.h"
#include "emit/text_output.h"

namespace gbkhex {
namespace {

// What is wrong with a whole output comes back from Finish, for the caller to
// report: an array without a byte, a literal longer than C99 promises.
TEST(TextOutput, ReturnsTheProblemsOfTheWholeAsValues) {
  struct Case {
    OutputChoice choice;
    std::size_t bytes;
    std::optional<FaultKind> problem;
  };
  const OutputChoice array{.output = Output::Array, .name = "a"};
  OutputChoice literalArray = array;
  literalArray.style.form = ValueForm::Literal;
  const Case cases[] = {
      {array, 0, FaultKind::EmptyArray},
      {{.output = Output::Array, .name = "a", .nul = true}, 0, std::nullopt},
      {literalArray, 0, std::nullopt},
      {array, 5000, std::nullopt},
      {literalArray, 4095, std::nullopt},
      {literalArray, 4096, FaultKind::LongLiteral},
      {{.output = Output::Literals}, 4096, FaultKind::LongLiteral},
      {{.output = Output::Literals}, 4095, std::nullopt},
      {{.output = Output::Bytes}, 0, std::nullopt},
  };
  for (const Case& c : cases) {
    StringSink sink;
    const std::unique_ptr<TextOutput> output = MakeTextOutput(c.choice, Charset::Gbk, sink);
    output->Write(std::u16string(c.bytes, u'A'));
    const std::optional<Fault> problem = output->Finish();
    EXPECT_EQ(problem ? std::optional(problem->kind) : std::nullopt, c.problem) << c.bytes;
  }
}

TEST(HeaderWriter, TheSingleArrayHeaderIsWhatArrayWrites) {
  for (const std::u16string_view text :
       {u"十六进制", u"ABCDEFGHIJKLMNOP", u"ABCDEFGHIJKLMNOPQ", u"欢迎\r\n十六进制 0123\nABC"}) {
    StringSink want;
    const std::unique_ptr<TextOutput> output =
        MakeTextOutput({.output = Output::Array, .name = "text"}, Charset::Gbk, want);
    output->Write(text.substr(0, text.size() / 2));
    output->Write(text.substr(text.size() / 2));
    EXPECT_FALSE(output->Finish().has_value());

    std::string bytes;
    GbkEncoder().Append(text, bytes);
    std::string got = SingleHeaderOpening("text", {});
    CodeWriter constants(OutputFormat::C);
    constants.AppendBytes(bytes, got);
    got += SingleHeaderClosing("text", {}, bytes.size(), constants.LineIsOpen());
    EXPECT_EQ(got, want.Text());
  }
  // A literal, its type and attribute, and <stdint.h> for the type.
  const DeclarationStyle style{ValueForm::Literal, "const uint8_t", "PROGMEM"};
  std::string got = SingleHeaderOpening("s", style);
  StringLiteralWriter literal(1);
  literal.Append(
      "\xB5"
      "A",
      got);
  literal.Finish(got);
  got += SingleHeaderClosing("s", style, 2, false);
  EXPECT_NE(got.find("#define GBKHEX_ARRAY_s\r\n#include <stdint.h>\r\n#if "), std::string::npos);
  EXPECT_NE(got.find("#endif\r\nconst uint8_t s[] PROGMEM =\r\n\"\\xB5\" \"A\";\r\n"
                     "#define s_len 2u\r\n#endif\r\n"),
            std::string::npos)
      << got;
}

// Constants written from units, in pieces of any size, are those of their
// bytes, one-byte and two-byte codes mixed at random across line ends.
TEST(HeaderWriter, TheConstantsOfUnitsAreTheConstantsOfTheirBytes) {
  std::mt19937 random(936);
  const char16_t kinds[] = {u'A', u'\u4E2D', u'\u20AC', char16_t{0xD83D}, u'\u00B5', u'\r'};
  for (int round = 0; round < 300; ++round) {
    std::u16string units;
    const std::size_t size = std::uniform_int_distribution<std::size_t>(0, 60)(random);
    for (std::size_t i = 0; i < size; ++i) {
      units += static_cast<char16_t>(kinds[random() % std::size(kinds)] + random() % 3);
    }
    CodeWriter fromBytes(OutputFormat::C);
    std::string want;
    std::string bytes;
    GbkEncoder().Append(units, bytes);
    fromBytes.AppendBytes(bytes, want);
    CodeWriter fromUnits(OutputFormat::C);
    std::string got;
    for (std::size_t at = 0; at < units.size();) {
      const std::size_t piece = std::uniform_int_distribution<std::size_t>(0, 9)(random);
      fromUnits.Append(std::u16string_view(units).substr(at, piece), got);
      at += piece;
    }
    ASSERT_EQ(got, want) << round;
    EXPECT_EQ(fromUnits.BytesWritten(), fromBytes.BytesWritten());
    EXPECT_EQ(fromUnits.LineIsOpen(), fromBytes.LineIsOpen());
  }
}

TEST(HeaderWriter, TheTableHeaderAndItsGuard) {
  const TableHeaderWriter table({ValueForm::Literal, "", ""}, false);
  std::string header = table.Opening("GUARD");
  EXPECT_EQ(table.AppendEntry(header, "title", "主菜单 */", u"主菜单 */"), 9u);
  EXPECT_EQ(table.AppendEntry(header, "empty", "", u""), 0u);
  header += table.Closing();
  EXPECT_EQ(header,
            "/* The code page 936 (GBK) bytes of a string table, written by gbkhex-cli. */\r\n"
            "#ifndef GUARD\r\n#define GUARD\r\n" +
                std::string(header::kInlineCondition) +
                "\r\n#define GBKHEX_LINKAGE inline\r\n#else\r\n#define GBKHEX_LINKAGE static\r\n"
                "#endif\r\n"
                "/* \"主菜单 *\\/\" */\r\n"
                "GBKHEX_LINKAGE const char title[] =\r\n\"\\xD6\\xF7\\xB2\\xCB\\xB5\\xA5 */\";\r\n"
                "#define title_len 9u\r\n"
                "/* \"\" */\r\nGBKHEX_LINKAGE const char empty[] =\r\n\"\";\r\n"
                "#define empty_len 0u\r\n"
                "#undef GBKHEX_LINKAGE\r\n#endif\r\n");

  // The guard depends on the bytes alone, however they come in pieces.
  const auto guardOf = [](std::initializer_list<std::string_view> pieces) {
    TableGuard guard;
    for (const std::string_view piece : pieces) guard.Add(piece);
    return guard.Name();
  };
  const std::string base = guardOf({"--type x\n", "title = 主菜单\nmenu = 设置\n"});
  EXPECT_EQ(base.size(), 29u);
  EXPECT_TRUE(base.starts_with("GBKHEX_TABLE_")) << base;
  EXPECT_EQ(guardOf({"--type x\ntitle", " = 主菜单\nmenu = 设", "置\n"}), base);
  for (const std::string& other : {guardOf({"--type y\n", "title = 主菜单\nmenu = 设置\n"}),
                                   guardOf({"--type x\n", "title = 主菜单\nmenu = 设置\n\n"}),
                                   guardOf({"--type x\n", "title = 主菜单\n"}), guardOf({})}) {
    EXPECT_NE(other, base);
  }
  EXPECT_NE(TableHeaderWriter({}, false).EntryProblem(""), "");
  EXPECT_EQ(TableHeaderWriter({}, true).EntryProblem(""), "");
  EXPECT_EQ(TableHeaderWriter({ValueForm::Literal, "", ""}, false).EntryProblem(""), "");
}

TEST(HeaderWriter, NothingInATextEndsItsComment) {
  const struct {
    std::string_view text;
    std::string_view shown;
  } cases[] = {
      {"主菜单", "主菜单"},
      {"a */ b /* c", "a *\\/ b /\\* c"},
      {"*/*/", "*\\/\\*\\/"},
      {"ends in \\", "ends in \\\\"},
      {"say \"hi\"", "say \\\"hi\\\""},
      {"\n\r\t\x01\x7F", "\\n\\r\\t\\x01\\x7F"},
      {"?\?=?\?/", "?\\?=?\\?/"},
      {"\xE2\x80\xAE\xC2\x85\xEF\xBB\xBF", "\\u202E\\u0085\\uFEFF"},
      {"\xFF\xC0\xAF\xED\xA0\x80", "\\xFF\\xC0\\xAF\\xED\\xA0\\x80"},
      {"😀", "😀"},
  };
  for (const auto& c : cases) {
    std::string comment;
    header::AppendTextComment(comment, c.text);
    EXPECT_EQ(comment, "/* \"" + std::string(c.shown) + "\" */\r\n") << c.text;
  }
}

TEST(HeaderWriter, TypesAndAttributesThatCouldBreakOutAreRefused) {
  for (const std::string_view good :
       {"const unsigned char", "const uint8_t", "const unsigned char code",
        "__flash const unsigned char", "PROGMEM", "__attribute__((section(\".rodata.lcd\")))",
        "__attribute__((aligned(4), section(\"a(b\")))"}) {
    EXPECT_EQ(TypeProblem(good), "") << good;
    EXPECT_EQ(AttributeProblem(good), "") << good;
  }
  const struct {
    std::string_view text;
    std::string_view why;
  } bad[] = {
      {"char x; int", "';'"},    {"char x[1] = {", "'='"},         {"}", "brace"},
      {"#define x", "'#'"},      {"char /* x */", "comment"},      {"char // x", "comment"},
      {"char */", "comment"},    {"char\nx", "line break"},        {"char\r", "line break"},
      {"char\x01", "control"},   {"char \\", "backslash"},         {"char ?\?<", "trigraph"},
      {"char <%", "digraph"},    {"char %:", "digraph"},           {"(char", "parentheses"},
      {"char)(", "parentheses"}, {"section(\"x)", "unterminated"}, {"'", "unterminated"},
  };
  for (const auto& c : bad) {
    EXPECT_NE(AttributeProblem(c.text).find(c.why), std::string::npos) << c.text;
    EXPECT_NE(TypeProblem(c.text), "") << c.text;
  }
  EXPECT_EQ(AttributeProblem(""), "");
  EXPECT_EQ(TypeProblem(" "), "is empty");

  EXPECT_TRUE(NeedsStdint("const uint8_t"));
  EXPECT_TRUE(NeedsStdint("uint_least8_t const"));
  EXPECT_FALSE(NeedsStdint("const unsigned char"));
  EXPECT_FALSE(NeedsStdint("const my_uint8_t"));
}

TEST(HeaderWriter, IncludedHeadersThatCouldBreakOutAreRefused) {
  EXPECT_EQ(IncludeDirective("avr/pgmspace.h"), "#include <avr/pgmspace.h>");
  EXPECT_EQ(IncludeDirective("\"my board.h\""), "#include \"my board.h\"");
  const struct {
    std::string_view text;
    std::string_view why;  // "" for none
  } cases[] = {
      {"avr/pgmspace.h", ""}, {"\"board>x.h\"", ""},     {"a.h>", "'>'"},
      {"<a.h>", "'>'"},       {"\"a\"b.h\"", "'\"'"},    {"a\"b.h", "'\"'"},
      {"\"a.h", "'\"'"},      {"a.h\n#x", "line break"}, {"a\t.h", "control"},
      {"a/*.h", "comment"},   {"a//b.h", "comment"},     {"a\\b.h", "backslash"},
      {"a'b.h", "quote"},     {"a?\?/.h", "question"},   {"", "empty"},
      {"\"\"", "empty"},
  };
  for (const auto& c : cases) {
    const std::string problem = IncludeProblem(c.text);
    if (c.why.empty()) {
      EXPECT_EQ(problem, "") << c.text;
    } else {
      EXPECT_NE(problem.find(c.why), std::string::npos) << c.text << ": " << problem;
    }
  }
}

}  // namespace
}  // namespace gbkhex
