#include "text/input_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "harness/utf16_bytes.h"
#include "text/characters.h"

namespace gbkhex {
namespace {

using namespace std::string_literals;

// Every fault and every line in the order they come, faults as the command
// line words their place.
class Transcript final : public FaultSink, public TextReceiver, public LineReceiver {
 public:
  void Add(const Fault& fault) override {
    text += fault.input + ":";
    if (fault.line != 0)
      text += std::to_string(fault.line) + ":" + std::to_string(fault.column) + ":";
    text += " error: " + fault.what;
    if (fault.byteOffset) text += " at byte offset " + std::to_string(*fault.byteOffset);
    if (!fault.hint.empty()) text += "; " + fault.hint;
    text += "\n";
  }

  void Bytes(std::string_view read) override { bytes += read; }
  bool ListsNextError() const noexcept override { return true; }

  void Text(std::u16string_view units) override { this->units += units; }

  // The units as UTF-8 again, to hold them to the line's text.
  void Line(const InputLine& line) override {
    text += std::to_string(line.number) + ":" + std::string(line.utf8) + "|";
    for (std::size_t at = 0; at < line.units.size(); at += UnitsOfCharacterAt(line.units, at)) {
      AppendUtf8(CodePointAt(line.units, at), text);
    }
    text += "\n";
  }

  std::string text;
  std::u16string units;
  std::string bytes;  // of the input, as read
};

struct Options {
  std::size_t chunk = kDefaultChunkSize;
  Charset charset = Charset::Gbk;
  bool lossy = false;
  bool codePage936 = false;
};

// Reads `inputs`, each named in.txt, as one text.
Transcript ReadText(const std::vector<std::string>& inputs, const Options& options) {
  Transcript read;
  TextCheck check(options.charset, options.lossy, read);
  InputReader reader(check, options.codePage936, options.chunk);
  for (const std::string& input : inputs) {
    std::istringstream in(input);
    reader.ReadText(in, "in.txt", read);
  }
  return read;
}

// Reads `input`, named a.txt, line by line; the receiver is shown every byte
// of it as it is read.
Transcript ReadLines(const std::string& input, const Options& options) {
  Transcript read;
  TextCheck check(options.charset, options.lossy, read);
  InputReader reader(check, options.codePage936, options.chunk);
  std::istringstream in(input);
  reader.ReadLines(in, "a.txt", read);
  EXPECT_EQ(read.bytes, input);
  return read;
}

// Every chunk size from 1 byte up cuts each text at every position: sequences
// split anywhere give the same units, the same faults in the same places, and
// the text before the first fault.
TEST(InputReader, ReadsTheSameTextAtEveryCut) {
  const std::string noGbk = " has no exact code in GBK (code page 936)";
  const struct {
    std::string utf8;
    std::u16string units;  // before the first fault
    std::string faults = "";
    Charset charset = Charset::Gbk;
  } cases[] = {
      {"十六进制", u"十六进制"},
      {"A\r\nB\nC", u"A\r\nB\nC"},
      {"十六进制ABCDEFGHIJ中文0123456789\r\n", u"十六进制ABCDEFGHIJ中文0123456789\r\n"},
      // A byte-order mark is skipped.
      {"\xEF\xBB\xBF"
       "a\xF0\x9F\x98\x80"
       "b\xE2\x82\xAC",
       u"a", "in.txt:1:2: error: U+1F600 '😀'" + noGbk + "\n"},
      // Each maximal subpart of an ill-formed sequence is one fault, placed
      // in display columns (an editor shows a replacement character for each).
      {"\xEF\xBB\xBF十六A\xED\xA0\x80进制\xC0", u"十六A",
       // ED A0 reads as a character of code page 936, hence the hint.
       "in.txt:1:6: error: invalid UTF-8 (byte ED) at byte offset 10; the file looks like GBK "
       "already: use --from gbk\n"
       "in.txt:1:7: error: invalid UTF-8 (byte A0) at byte offset 11\n"
       "in.txt:1:8: error: invalid UTF-8 (byte 80) at byte offset 12\n"
       "in.txt:1:13: error: invalid UTF-8 (byte C0) at byte offset 19\n"},
      {"\xEF\xBB\xBF十六A\xF0\x9F\x98\n\xE8\xBF", u"十六A",
       "in.txt:1:6: error: invalid UTF-8 (bytes F0 9F 98) at byte offset 10; the file looks "
       "like GBK already: use --from gbk\n"
       "in.txt:2:1: error: invalid UTF-8 (bytes E8 BF) at byte offset 14; the input ends inside "
       "a character\n"},
      // Code page 936 read as UTF-8: each byte is judged with the one after it.
      {"abcd\xB0\xA1", u"abcd",
       "in.txt:1:5: error: invalid UTF-8 (byte B0) at byte offset 4; the file looks like GBK "
       "already: use --from gbk\n"
       "in.txt:1:6: error: invalid UTF-8 (byte A1) at byte offset 5\n"},
      // Every character that the charset lacks, in input order.
      {"ab\n十\xC2\xB5\tx\xC3\xBE", u"ab\n十",
       "in.txt:2:3: error: U+00B5 'µ'" + noGbk + "\nin.txt:2:10: error: U+00FE 'þ'" + noGbk + "\n"},
      {"\xEF\xBB\xBFx\r\n\xF0\x9F\x98\x80\xC2\x85", u"x\r\n",
       "in.txt:2:1: error: U+1F600 '\xF0\x9F\x98\x80'" + noGbk + "\nin.txt:2:3: error: U+0085" +
           noGbk + "\n"},
      {"\xEE\x80\x80\xE2\x82\xAC中\n\n啰", u"",
       "in.txt:1:1: error: U+E000 '\xEE\x80\x80' is not in GB2312\n"
       "in.txt:1:2: error: U+20AC '€' is not in GB2312\n"
       "in.txt:3:1: error: U+5570 '啰' is not in GB2312\n",
       Charset::Gb2312},
      // GB 2312's own readings of A1 AA and A1 A4, beside code page 936's.
      {"—·―・中\n\n啰", u"—·―・中\n\n", "in.txt:3:1: error: U+5570 '啰' is not in GB2312\n",
       Charset::Gb2312},
      {"―・", u"―", "in.txt:1:2: error: U+30FB '・'" + noGbk + "\n"},
      // A NUL is a fault whatever the charset, and a fault is one of many.
      {"a"s + '\0' + "\xC2\xB5\xFF" + '\0', u"a",
       "in.txt:1:2: error: U+0000 (NUL), which would end a C string early; the input looks like "
       "UTF-16 without a byte-order mark\n"
       "in.txt:1:3: error: U+00B5 'µ'" +
           noGbk +
           "\n"
           "in.txt:1:4: error: invalid UTF-8 (byte FF) at byte offset 4\n"
           "in.txt:1:5: error: U+0000 (NUL), which would end a C string early\n"},
  };
  for (const auto& c : cases) {
    for (std::size_t chunk = 1; chunk <= c.utf8.size() + 1; ++chunk) {
      const Transcript read = ReadText({c.utf8}, {.chunk = chunk, .charset = c.charset});
      EXPECT_EQ(read.units, c.units) << c.utf8 << " chunk " << chunk;
      EXPECT_EQ(read.text, c.faults) << c.utf8 << " chunk " << chunk;
    }
  }
  // With --lossy, what the charset lacks goes on with the rest.
  const std::string lossy = "\xE2\x82\xAC\xC2\xB5\xEE\x80\x80\x7F\n\xF0\x9F\x98\x80";
  for (std::size_t chunk = 1; chunk <= lossy.size() + 1; ++chunk) {
    EXPECT_EQ(ReadText({lossy}, {.chunk = chunk, .lossy = true}).units,
              u"\u20AC\u00B5\uE000\x7F\n\U0001F600")
        << chunk;
  }
}

// Several inputs are one text, each with its byte-order mark skipped and its
// lines counted from 1.
TEST(InputReader, SeveralInputsAreOneText) {
  const std::string bom = "\xEF\xBB\xBF";
  for (std::size_t chunk = 1; chunk <= 5; ++chunk) {
    const Options options{.chunk = chunk, .lossy = true};
    EXPECT_EQ(ReadText({bom + "ABCDEFGHIJ", bom + "KLMN十六" + bom}, options).units,
              u"ABCDEFGHIJKLMN十六\uFEFF");
    EXPECT_EQ(ReadText({bom, "", bom + bom}, options).units, u"\uFEFF");
    EXPECT_EQ(ReadText({"a\nb\n", "c\xC2\xB5"}, {.chunk = chunk}).text,
              "in.txt:1:2: error: U+00B5 'µ' has no exact code in GBK (code page 936)\n");
  }
  // Long lines, counted across chunks and in more than one block of counting.
  const std::string longLine(70'000, 'a');
  EXPECT_EQ(
      ReadText({longLine + "\n" + longLine + "\n" + longLine + "\xC2\xB5"}, {.chunk = 100'000})
          .text,
      "in.txt:3:70001: error: U+00B5 'µ' has no exact code in GBK (code page 936)\n");
}

TEST(InputReader, LargeInputInManyChunksEqualsOnePiece) {
  std::mt19937 random(936);
  const char32_t pool[] = {U'A', U'z', U'\n', U'\r', U'€', U'µ', U'\U0001F600', U'\uE765'};
  std::string utf8;
  std::u16string units;
  for (int i = 0; i < 1'500'000; ++i) {
    const std::uint32_t pick = random() % 20;
    const char32_t cp = pick < 12 ? 0x4E00 + random() % 0x51A6 : pool[pick - 12];
    AppendUtf8(cp, utf8);
    if (cp >= 0x10000) {
      units += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      units += static_cast<char16_t>(cp);
    }
  }
  for (const std::size_t chunk : {kDefaultChunkSize, std::size_t{4093}}) {
    EXPECT_TRUE(ReadText({utf8}, {.chunk = chunk, .lossy = true}).units == units) << chunk;
  }
}

// One text in every encoding and cut into chunks of every size gives the
// same lines: CR LF, empty lines and a last line
// without a line feed included. Bytes that are no text, and U+0000, wherever
// they stand in a line, are faults at their place and byte offset, and the
// line goes no further.
TEST(InputReader, ReadsTheSameLinesAtEveryCut) {
  const std::string table =
      "# 注释 with € and 😀\n"
      "\tmenu = 主菜单\t \r\n"
      "\n"
      "x = 十µ\t😀\n"
      "last=末";
  const std::string lines =
      "1:# 注释 with € and 😀|# 注释 with € and 😀\n"
      "2:\tmenu = 主菜单\t \r|\tmenu = 主菜单\t \r\n"
      "3:|\n"
      "4:x = 十µ\t😀|x = 十µ\t😀\n"
      "5:last=末|last=末\n";
  const std::string utf8Faults =
      "ok = 1\n# \xC3\x28 comment\nx = \xD6\xF7\n\tz = a\0b\nw = \xE5\x8D\ny = \xC0\nb = \xE5\x8D"s;
  const std::string utf8FaultsRead =
      "1:ok = 1|ok = 1\n"
      "a.txt:2:3: error: invalid UTF-8 (byte C3) at byte offset 9\n"
      "a.txt:3:5: error: invalid UTF-8 (byte D6) at byte offset 24; the file looks like GBK "
      "already: use --from gbk\n"
      "a.txt:3:6: error: invalid UTF-8 (byte F7) at byte offset 25\n"
      "a.txt:4:14: error: U+0000 (NUL), which would end a C string early\n"
      "a.txt:5:5: error: invalid UTF-8 (bytes E5 8D) at byte offset 40\n"
      "a.txt:6:5: error: invalid UTF-8 (byte C0) at byte offset 47\n"
      "a.txt:7:5: error: invalid UTF-8 (bytes E5 8D) at byte offset 53; the input ends inside a "
      "character\n";
  const struct {
    std::string input;
    std::string read;
    bool codePage936 = false;
  } cases[] = {
      {table, lines},
      {"\xEF\xBB\xBF" + table, lines},
      {harness::Utf16WithByteOrderMark(table, false), lines},
      {harness::Utf16WithByteOrderMark(table, true), lines},
      {"#\xD7\xA2\xCA\xCD\n\tmenu = \xD6\xF7\xB2\xCB\xB5\xA5\t \r\n\nlast=\xC4\xA9",
       "1:#注释|#注释\n2:\tmenu = 主菜单\t \r|\tmenu = 主菜单\t \r\n3:|\n4:last=末|last=末\n",
       true},
      {utf8Faults, utf8FaultsRead},
      {harness::Utf16WithByteOrderMark("a = 1\nb = 2\nc = 3", false)
               .insert(10, "\x00\xD8", 2)
               .insert(28, "\0\0", 2) +
           "\x41",
       "a.txt:1:5: error: invalid UTF-16 (bytes 00 D8, a surrogate half alone) at byte offset 10\n"
       "2:b = 2|b = 2\n"
       "a.txt:3:1: error: U+0000 (NUL), which would end a C string early\n"
       "a.txt:3:7: error: invalid UTF-16 (byte 41) at byte offset 40; the input ends inside a "
       "character\n"},
      {harness::Utf16WithByteOrderMark("a\xF0\x9F\x98\x80\nb", true).insert(6, "\xD8\x3D"),
       "a.txt:1:2: error: invalid UTF-16 (bytes D8 3D, a surrogate half alone) at byte offset 4\n"
       "2:b|b\n"},
      {"A\n\xD6\xD0\x81\x0A\xA1\x7F\xFE",
       "1:A|A\n"
       "a.txt:2:3: error: no character of code page 936 (byte 81) at byte offset 4\n"
       "a.txt:3:1: error: no character of code page 936 (byte A1) at byte offset 6\n"
       "a.txt:3:3: error: no character of code page 936 (byte FE) at byte offset 8; the input "
       "ends inside a character\n",
       true},
  };
  for (const auto& c : cases) {
    for (const std::size_t chunk : {1, 2, 3, 4, 5, 7, 8, 64 * 1024}) {
      const Options options{.chunk = chunk, .codePage936 = c.codePage936};
      EXPECT_EQ(ReadLines(c.input, options).text, c.read) << c.input << " chunk " << chunk;
    }
  }
}

// A stream buffer that hands out its text, then fails.
class FailingBuffer final : public std::streambuf {
 public:
  explicit FailingBuffer(std::string text) : text_(std::move(text)) {}

 protected:
  std::streamsize xsgetn(char* buffer, std::streamsize count) override {
    if (at_ == text_.size()) throw std::runtime_error("device gone");
    const std::size_t size = std::min(static_cast<std::size_t>(count), text_.size() - at_);
    text_.copy(buffer, size, at_);
    at_ += size;
    return static_cast<std::streamsize>(size);
  }

 private:
  std::string text_;
  std::size_t at_ = 0;
};

// A read that fails is a fault, after the text before it: a character that it
// cuts short is its fault alone, and so is a line.
TEST(InputReader, AFailedReadEndsTheInputWithAFault) {
  const std::string failure = "in.txt: error: read error: device gone\n";
  for (const std::size_t chunk : {1, 3, 64 * 1024}) {
    Transcript read;
    TextCheck check(Charset::Gbk, false, read);
    InputReader reader(check, false, chunk);
    FailingBuffer text("AB\xE5");
    std::istream textIn(&text);
    reader.ReadText(textIn, "in.txt", read);
    EXPECT_EQ(read.units, u"AB");
    EXPECT_EQ(read.text, failure);
    read.text.clear();
    FailingBuffer lines("a = 1\nb = \xFF");
    std::istream linesIn(&lines);
    reader.ReadLines(linesIn, "in.txt", read);
    EXPECT_EQ(read.text, "1:a = 1|a = 1\n" + failure);
  }
}

}  // namespace
}  // namespace gbkhex
