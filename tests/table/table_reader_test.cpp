#include "table/table_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "convert/unicode.h"
#include "harness/utf16_bytes.h"
#include "text/characters.h"

namespace gbkhex {
namespace {

using namespace std::string_literals;

// Keeps every entry as "NAME=TEXT|UNITS" (the units as UTF-8 again, to hold
// them to the text).
class Recorder final : public TableEntries {
 public:
  explicit Recorder(std::string& record) : record_(record) {}
  std::string Problem(const TableEntry&) const override { return {}; }
  void Entry(const TableEntry& entry) override {
    record_.append(entry.name).append("=").append(entry.text).append("|");
    for (std::size_t at = 0; at < entry.units.size(); at += UnitsOfCharacterAt(entry.units, at)) {
      AppendUtf8(CodePointAt(entry.units, at), record_);
    }
    record_.append("\n");
  }

 private:
  std::string& record_;
};

// Keeps every fault as a line "INPUT:LINE:COLUMN: error: WHAT[ at byte offset N][; HINT]".
class FaultLines final : public FaultSink {
 public:
  explicit FaultLines(std::string& lines) : lines_(lines) {}
  void Add(const Fault& fault) override {
    lines_.append(fault.input + ":" + std::to_string(fault.line) + ":" +
                  std::to_string(fault.column) + ": error: " + fault.what);
    if (fault.byteOffset) lines_.append(" at byte offset " + std::to_string(*fault.byteOffset));
    if (!fault.hint.empty()) lines_.append("; " + fault.hint);
    lines_.append("\n");
  }
  bool ListsNextError() const noexcept override { return true; }

 private:
  std::string& lines_;
};

struct Read {
  std::string entries;  // ending in "end" where no fault stopped them
  std::string faults;
  std::string guard;
};

// Reads `inputs`, named a.txt, b.txt, ..., as one table.
Read ReadTables(const std::vector<std::string>& inputs, TableReading reading = {}) {
  Read read;
  FaultLines faults(read.faults);
  Recorder recorder(read.entries);
  TableReader reader(reading, recorder, faults);
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    std::istringstream in(inputs[i]);
    reader.Read(in, std::string(1, static_cast<char>('a' + i)) + ".txt");
  }
  if (!reader.Failed()) read.entries += "end\n";
  read.guard = reader.Guard();
  return read;
}

// One table in every encoding gives the same entries and the same faults,
// each at its display column: tabs, Chinese characters, escapes and CR LF
// included; a comment is no text to check. (The reader gives the same lines
// at every chunk size; see input_reader_test.)
TEST(TableReader, EveryEncodingReadsTheSameTable) {
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
  const TableReading gbk{.codePage936 = true};
  EXPECT_EQ(ReadTables({"menu = \xD6\xF7\xB2\xCB\xB5\xA5\r\nq = \"\\\\\"\n"}, gbk).entries,
            "menu=主菜单|主菜单\nq=\\|\\\nend\n");
}

// Bytes that are no text, and U+0000, wherever they stand in a line (a
// comment too), are faults at their place and byte offset; the line is read
// no further, and the lines after it are, for their faults.
TEST(TableReader, BytesThatAreNoTextAreFaultsAtTheirPlace) {
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
TEST(TableReader, SeveralInputsAreOneTable) {
  const Read read = ReadTables({"a = 1\nb = 2\n", "", "x = 3\na = 4\nx_len = 5\n"});
  EXPECT_EQ(read.faults,
            "c.txt:2:1: error: the name 'a' is given twice (a.txt:1 and line 2)\n"
            "c.txt:3:1: error: the name 'x_len' is the length constant of 'x' (lines 1 and 3)\n");
}

// The include guard is the options' line and the bytes read, each input's
// end marked: the same at every chunk size, different for any other byte or
// option, and for the same bytes cut into inputs elsewhere.
TEST(TableReader, TheGuardIsOfTheOptionsAndTheBytesRead) {
  const std::vector<std::string> tables = {"a = 主菜单\n", "b = 2\n"};
  const std::string guard = ReadTables(tables).guard;
  EXPECT_TRUE(guard.starts_with("GBKHEX_TABLE_") && guard.size() == 29) << guard;
  for (const std::size_t chunk : {1, 3, 64 * 1024}) {
    EXPECT_EQ(ReadTables(tables, {.chunkSize = chunk}).guard, guard) << chunk;
  }
  EXPECT_NE(ReadTables(tables, {.guardOptions = "table nul\n"}).guard, guard);
  EXPECT_NE(ReadTables({"a = 主菜单\n", "b = 3\n"}).guard, guard);
  EXPECT_NE(ReadTables({"a = 主菜单\nb = 2\n"}).guard, guard);
  EXPECT_NE(ReadTables({"\xEF\xBB\xBF" + tables[0], tables[1]}).guard, guard);
}
}  // namespace
}  // namespace gbkhex
