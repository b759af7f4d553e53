#include "cli/table_converter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "emit/dump_decoder.h"
#include "harness/utf16_bytes.h"
#include "text/characters.h"

namespace gbkhex::cli {
namespace {

using namespace std::string_literals;

// Keeps every entry as "NAME=TEXT|UNITS" (the units as UTF-8 again, to hold
// them to the text).
class Recorder final : public TableOutput {
 public:
  explicit Recorder(std::string& record) : record_(record) {}
  std::string Problem(const TableEntry&) const override { return {}; }
  void Entry(const TableEntry& entry, FaultReport&) override {
    record_.append(entry.name).append("=").append(entry.text).append("|");
    for (std::size_t at = 0; at < entry.units.size(); at += UnitsOfCharacterAt(entry.units, at)) {
      AppendUtf8(CodePointAt(entry.units, at), record_);
    }
    record_.append("\n");
  }
  void Finish() override { record_.append("end\n"); }

 private:
  std::string& record_;
};

struct Read {
  std::string entries;
  std::string faults;
};

// Reads `inputs`, named a.txt, b.txt, ..., as one table.
Read ReadTables(const std::vector<std::string>& inputs, ConvertOptions options = {}) {
  Read read;
  std::ostringstream err;
  FaultReport faults(err);
  Recorder recorder(read.entries);
  TableConverter converter(options, recorder, faults);
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    std::istringstream in(inputs[i]);
    converter.Convert(in, std::string(1, static_cast<char>('a' + i)) + ".txt");
  }
  converter.Finish();
  read.faults = err.str();
  return read;
}

// One table in every encoding gives the same entries and the same faults,
// each at its display column: tabs, Chinese characters, escapes and CR LF
// included; a comment is no text to check. (The reader gives the same lines
// at every chunk size; see input_reader_test.)
TEST(TableConverter, EveryEncodingReadsTheSameTable) {
  const std::string table =
      "# 注释 with € and 😀, which no entry holds\n"
      "\tmenu = 主菜单\t \r\n"
      "q = \"a\\\"b\\t十\"\n"
      "bad line\n"
      "x = 十µ\t😀\n"
      "\n"
      "y = \"\\\\\\\"µ\"\n"
      "last=末";
  // The entries before the first fault, and no end.
  const std::string entries = "menu=主菜单|主菜单\nq=a\"b\t十|a\"b\t十\n";
  const std::string faults =
      "a.txt:4:5: error: expected '=' after the name 'bad'\n"
      "a.txt:5:7: error: U+00B5 'µ' has no exact code in GBK (code page 936)\n"
      "a.txt:5:9: error: U+1F600 '😀' has no exact code in GBK (code page 936)\n"
      "a.txt:7:10: error: U+00B5 'µ' has no exact code in GBK (code page 936)\n";
  const std::vector<std::string> encodings = {table, "\xEF\xBB\xBF" + table,
                                              harness::Utf16WithByteOrderMark(table, false),
                                              harness::Utf16WithByteOrderMark(table, true)};
  for (const std::string& input : encodings) {
    const Read read = ReadTables({input});
    EXPECT_EQ(read.entries, entries) << input;
    EXPECT_EQ(read.faults, faults) << input;
  }
  // Code page 936 input, as Notepad's "ANSI" saves it, with --from gbk.
  ConvertOptions gbk;
  gbk.from = InputText::CodePage936;
  EXPECT_EQ(ReadTables({"menu = \xD6\xF7\xB2\xCB\xB5\xA5\r\nq = \"\\\\\"\n"}, gbk).entries,
            "menu=主菜单|主菜单\nq=\\|\\\nend\n");
}

// Bytes that are no text, and U+0000, wherever they stand in a line (a
// comment too), are faults at their place and byte offset; the line is read
// no further, and the lines after it are, for their faults.
TEST(TableConverter, BytesThatAreNoTextAreFaultsAtTheirPlace) {
  const Read utf8 =
      ReadTables({"ok = 1\n# \xC3\x28 comment\nx = \xD6\xF7\n\tz = a\0b\ny = \xC0\n"s});
  EXPECT_EQ(utf8.entries, "ok=1|1\n");
  EXPECT_EQ(utf8.faults,
            "a.txt:2:3: error: invalid UTF-8 (byte C3) at byte offset 9\n"
            "a.txt:3:5: error: invalid UTF-8 (byte D6) at byte offset 24; the file looks like "
            "GBK already: use --from gbk\n"
            "a.txt:3:6: error: invalid UTF-8 (byte F7) at byte offset 25\n"
            "a.txt:4:14: error: U+0000 (NUL), which would end a C string early\n"
            "a.txt:5:5: error: invalid UTF-8 (byte C0) at byte offset 40\n");
  const Read utf16 = ReadTables(
      {harness::Utf16WithByteOrderMark("a = 1\nb = 2", false).insert(10, "\x00\xD8", 2)});
  EXPECT_EQ(utf16.entries, "");
  EXPECT_EQ(utf16.faults,
            "a.txt:1:5: error: invalid UTF-16 (bytes 00 D8, a surrogate half alone) at byte "
            "offset 10\n");
  const Read cut = ReadTables({"a = 1\nb = \xE5\x8D"});
  EXPECT_EQ(cut.faults,
            "a.txt:2:5: error: invalid UTF-8 (bytes E5 8D) at byte offset 10; the input ends "
            "inside a character; the file looks like GBK already: use --from gbk\n");
}

// Several inputs are one table: a name is given once in all of them, and a
// clash names the input where the name stood first.
TEST(TableConverter, SeveralInputsAreOneTable) {
  const Read read = ReadTables({"a = 1\nb = 2\n", "", "x = 3\na = 4\nx_len = 5\n"});
  EXPECT_EQ(read.faults,
            "c.txt:2:1: error: the name 'a' is given twice (a.txt:1 and line 2)\n"
            "c.txt:3:1: error: the name 'x_len' is the length constant of 'x' (lines 1 and 3)\n");
}

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
