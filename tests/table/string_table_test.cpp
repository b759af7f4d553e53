#include "table/string_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gbkhex::cli {
namespace {

using Kind = TableLine::Kind;

TEST(StringTable, ReadsEntriesCommentsAndQuotedTexts) {
  const struct {
    std::string_view line;
    std::string_view name;  // "" for an ignored line
    std::string_view text;
    std::size_t textOffset;
  } entries[] = {
      {"", "", "", 0},
      {" \t ", "", "", 0},
      {"  # title = not an entry", "", "", 0},
      {"\r", "", "", 0},
      {"menu_main = 主菜单", "menu_main", "主菜单", 12},
      {"\ttitle\t=\t十六进制  \t\r", "title", "十六进制", 9},
      {"a=b", "a", "b", 2},
      {"empty =", "empty", "", 7},
      {"x = # not a comment", "x", "# not a comment", 4},
      {"x = say \"hi\"", "x", "say \"hi\"", 4},
      {"x = \u3000全角\u3000", "x", "\u3000全角\u3000", 4},
      {"q = \"  a\\\"b\\\\c\\n\\r\\t \" \t\r", "q", "  a\"b\\c\n\r\t ", 5},
      {"q = \"\"", "q", "", 5},
      {"q = \"# \t\"", "q", "# \t", 5},
  };
  for (const auto& want : entries) {
    const TableLine got = ReadTableLine(want.line);
    if (want.name.empty()) {
      EXPECT_EQ(got.kind, Kind::Ignored) << want.line;
      continue;
    }
    ASSERT_EQ(got.kind, Kind::Entry) << want.line << ": " << got.fault;
    EXPECT_EQ(got.name, want.name);
    EXPECT_EQ(got.Text(), want.text) << want.line;
    EXPECT_EQ(got.textOffset, want.textOffset) << want.line;
  }
}

TEST(StringTable, ALineOfAnyOtherShapeIsAFaultAtItsPlace) {
  const struct {
    std::string_view line;
    std::size_t offset;
    std::string_view what;
  } faults[] = {
      {"  = text", 2, "expected NAME = text"},
      {"标题 = text", 0, "expected NAME = text"},
      {"title text", 6, "expected '=' after the name 'title'"},
      {"title", 5, "expected '='"},
      {"title: text", 5, "expected '='"},
      {"int = 1", 0, "the name 'int' is a keyword"},
      {" 2x = 1", 1, "is not a C identifier"},
      {"uint8_t = 1", 0, "is a type of <stdint.h>"},
      {"code = 1", 0, "Keil C51"},
      {"GBKHEX_LINKAGE = 1", 0, "GBKHEX_"},
      {"q = \"abc", 4, "no closing '\"'"},
      {"q = \"abc\\", 4, "no closing '\"'"},
      {"q = \"a\" b", 8, "only blanks may follow"},
      {"q = \"a\\x41\"", 6, "unknown escape"},
      {"a = b\rc = d", 5, "a CR that is not part of a CR LF"},
  };
  for (const auto& want : faults) {
    const TableLine got = ReadTableLine(want.line);
    ASSERT_EQ(got.kind, Kind::Fault) << want.line;
    EXPECT_EQ(got.faultOffset, want.offset) << want.line;
    EXPECT_NE(got.fault.find(want.what), std::string::npos) << want.line << ": " << got.fault;
  }
}

TEST(StringTable, NamesGivenTwiceOrTakenByALengthConstantClash) {
  TableNames names;
  EXPECT_FALSE(names.Add("title", 1));
  EXPECT_FALSE(names.Add("menu", 2));
  const struct {
    std::string_view name;
    std::uint64_t otherLine;
    std::string_view what;
  } clashes[] = {
      {"title", 1, "the name 'title' is given twice (lines 1 and 9)"},
      {"menu_len", 2, "the name 'menu_len' is the length constant of 'menu' (lines 2 and 9)"},
  };
  for (const auto& want : clashes) {
    const auto clash = names.Add(want.name, 9);
    ASSERT_TRUE(clash) << want.name;
    EXPECT_EQ(clash->otherLine, want.otherLine);
    EXPECT_EQ(clash->what, want.what);
  }
  EXPECT_FALSE(names.Add("size_len", 3));
  const auto clash = names.Add("size", 4);
  ASSERT_TRUE(clash);
  EXPECT_EQ(
      clash->what,
      "the length constant of 'size', size_len, is the name of another entry (lines 3 and 4)");
  EXPECT_FALSE(names.Add("title_len_len", 5));

  // Enough names to grow the table many times: each stays found, with its line.
  TableNames many;
  for (std::uint64_t i = 0; i < 5000; ++i) ASSERT_FALSE(many.Add(std::to_string(i), i));
  for (std::uint64_t i = 0; i < 5000; i += 7) {
    const auto again = many.Add(std::to_string(i), 9999);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->otherLine, i);
  }
}

}  // namespace
}  // namespace gbkhex::cli
