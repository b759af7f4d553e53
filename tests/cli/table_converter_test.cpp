#include "table/table_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "emit/dump_decoder.h"

namespace gbkhex::cli {
namespace {

using namespace std::string_literals;

struct Ran {
  int status;
  std::string out;
  std::string err;
};

Ran RunWith(std::vector<std::string_view> args, const std::string& input,
            std::size_t chunkSize = kDefaultChunkSize) {
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  const int status = Run(args, in, out, err, {.chunkSize = chunkSize});
  return {status, out.str(), err.str()};
}

std::string Guard(const std::string& header) {
  const std::size_t start = header.find("#ifndef ");
  return header.substr(start + 8, header.find('\r', start) - start - 8);
}

// The include guard tells tables apart, and the options that change the
// header; the same table with the same options shares it.
TEST(TableConverter, TheGuardIsTheTablesAndTheOptions) {
  const std::string table = "a = 主菜单\n";
  const Ran first = RunWith({"--table"}, table);
  ASSERT_EQ(first.status, kExitOk) << first.err;
  EXPECT_EQ(Guard(RunWith({"--table"}, table).out), Guard(first.out));
  for (const auto& [args, input] :
       std::vector<std::pair<std::vector<std::string_view>, std::string>>{
           {{"--table"}, "a = 主菜单 \n"},
           {{"--table"}, "b = 主菜单\n"},
           {{"--table", "--nul"}, table},
           {{"--table", "--format", "string"}, table},
           {{"--table", "--type", "const uint8_t"}, table},
           {{"--table", "--charset", "gb2312"}, table}}) {
    const Ran other = RunWith(args, input);
    ASSERT_EQ(other.status, kExitOk) << other.err;
    EXPECT_NE(Guard(other.out), Guard(first.out)) << args.back() << " " << input;
  }
  // A file gives the guard that the same bytes give on standard input, at
  // any chunk size (0 for the default).
  const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                     ("gbkhex_guard_" + std::to_string(std::random_device{}()));
  for (const std::size_t chunk : {0, 1, 64 * 1024}) {
    for (const std::string& text : {table, "b = 主菜单\n"s}) {
      std::ofstream(file, std::ios::binary) << text;
      const std::string want = Guard(RunWith({"--table"}, text).out);
      EXPECT_EQ(Guard(RunWith({"--table", file.string()}, "", chunk).out), want) << chunk;
      EXPECT_EQ(Guard(RunWith({"--table"}, text, chunk).out), want) << chunk;
    }
  }
  std::filesystem::remove(file);
  // An empty table is a header without entries; an empty text needs a NUL.
  EXPECT_EQ(RunWith({"--table"}, "# nothing yet\n").status, kExitOk);
  EXPECT_EQ(RunWith({"--table"}, "a =\n").err,
            "standard input:1:4: error: the text is empty, and a C array needs at least one byte "
            "(a string literal or --nul can hold an empty text)\n");
  EXPECT_NE(RunWith({"--table", "--nul"}, "a =\n").out.find("0X00,\r\n};"), std::string::npos);
}

// A literal longer than C99 promises to compile is written, with a warning
// where it stands; one byte less is none.
TEST(TableConverter, ALiteralOverC99sLimitIsWrittenWithAWarning) {
  const std::string longest(4095, 'A');
  EXPECT_EQ(RunWith({"--format", "string"}, longest).err, "");
  EXPECT_EQ(RunWith({"--table", "--format", "string"}, "a = " + longest).err, "");
  const Ran stream = RunWith({"--format", "string"}, longest + "B");
  EXPECT_EQ(stream.status, kExitOk);
  EXPECT_TRUE(stream.err.starts_with(
      "gbkhex-cli: warning: the string literal holds 4096 bytes, more than the 4095"))
      << stream.err;
  const Ran table = RunWith({"--table", "--format", "string"}, "# long\n\ta = " + longest + "B");
  EXPECT_EQ(table.status, kExitOk);
  EXPECT_TRUE(table.err.starts_with("standard input:2:13: warning: the string literal holds 4096"))
      << table.err;
  EXPECT_EQ(RunWith({"--array", "a", "--format", "string"}, longest + "B").err, stream.err);
}

// --decode reads literals as a compiler joins them, alone or in declarations
// (an attribute's literal counts nowhere), and places a fault at its line and
// column as well as its byte offset.
TEST(DecodeDump, StringLiteralsAndTheirDeclarations) {
  const struct {
    std::string_view dump;
    std::string_view text;
    std::string_view fault = "";
  } cases[] = {
      {R"("\xCA\xAE" "A" /* a comment */ "\101\n" // and another
          "\t\?")",
       "十AA\n\t?"},
      {"const char s[] __attribute__((section(\".x\"))) =\r\n\"\\xCA\\xAE\";\r\n"
       "#define s_len 2u",
       "十"},
      {"/* \"shown\" */ GBKHEX_LINKAGE const char a[] =\n\"A\";\nconst char b[] = \"B\" \"C\";",
       "ABC"},
      {"\"A\"\n  \"\\q\"", "A",
       "standard input:2:4: error: unknown escape sequence \\q at byte offset 7"},
      {"\"A\" x", "A",
       "standard input:1:5: error: expected a string literal or the end of the input at byte "
       "offset 4"},
      {"\"\\x81\" \"\\x20\"", "",
       "standard input:1:2: error: the bytes 81 20 are no character of code page 936 at byte "
       "offset 1"},
  };
  for (const auto& want : cases) {
    const Ran run = RunWith({"--decode"}, std::string(want.dump));
    EXPECT_EQ(run.out, want.text) << want.dump;
    EXPECT_EQ(run.status, want.fault.empty() ? kExitOk : kExitFailure) << want.dump;
    EXPECT_EQ(run.err, want.fault.empty() ? "" : std::string(want.fault) + "\n");
  }
}

}  // namespace
}  // namespace gbkhex::cli
