#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/stream_converter.h"
#include "cli/utf8.h"
#include "convert/code_format.h"

namespace gbkhex::cli {
namespace {

using namespace std::string_literals;

constexpr auto kHex = OutputFormat::Hexadecimal;
constexpr auto kC = OutputFormat::C;

// UTF-8 written out by hand, beside the units the window would hold for it.
struct Sample {
  std::string utf8;
  std::u16string units;
};

const std::vector<Sample>& Samples() {
  static const std::vector<Sample> samples = {
      {"十六进制", u"十六进制"},
      {"A\r\nB\nC", u"A\r\nB\nC"},
      // Euro (one byte 80), micro sign (best fit), user-defined area, NUL.
      {"\xE2\x82\xAC\xC2\xB5\xEE\x80\x80" + std::string(1, '\0'), u"\u20AC\u00B5\uE000\0"s},
      // Outside the 16-bit range: a surrogate pair, each half converted alone.
      {"a\xF0\x9F\x98\x80"
       "b",
       u"a\U0001F600b"},
      {"十六进制ABCDEFGHIJ中文0123456789\r\n", u"十六进制ABCDEFGHIJ中文0123456789\r\n"},
  };
  return samples;
}

struct Outcome {
  std::string output;
  std::string error;  // empty when the conversion succeeded
};

Outcome ConvertInputs(const std::vector<std::string>& inputs, ConvertOptions options) {
  std::ostringstream out;
  Outcome outcome;
  try {
    StreamConverter converter(std::move(options), out);
    for (const std::string& input : inputs) {
      std::istringstream in(input);
      converter.Convert(in, "in.txt");
    }
    converter.Finish();
  } catch (const InputError& error) {
    outcome.error = error.what();
  }
  outcome.output = out.str();
  return outcome;
}

ConvertOptions Options(OutputFormat format, std::size_t chunkSize = kDefaultChunkSize,
                       std::string arrayName = "") {
  ConvertOptions options;
  options.format = format;
  options.chunkSize = chunkSize;
  options.arrayName = std::move(arrayName);
  return options;
}

Outcome Convert(const std::string& utf8, OutputFormat format, std::size_t chunkSize) {
  return ConvertInputs({utf8}, Options(format, chunkSize));
}

std::string EncodeUtf8(char32_t cp) {
  if (cp < 0x80) return std::string(1, static_cast<char>(cp));
  if (cp < 0x800) return {static_cast<char>(0xC0 | cp >> 6), static_cast<char>(0x80 | (cp & 0x3F))};
  if (cp < 0x10000) {
    return {static_cast<char>(0xE0 | cp >> 12), static_cast<char>(0x80 | (cp >> 6 & 0x3F)),
            static_cast<char>(0x80 | (cp & 0x3F))};
  }
  return {static_cast<char>(0xF0 | cp >> 18), static_cast<char>(0x80 | (cp >> 12 & 0x3F)),
          static_cast<char>(0x80 | (cp >> 6 & 0x3F)), static_cast<char>(0x80 | (cp & 0x3F))};
}

Utf8Result Decode(const std::string& bytes, std::u16string& units) {
  units.assign(bytes.size(), u'\0');
  const Utf8Result result =
      DecodeUtf8({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, units.data());
  units.resize(result.unitsWritten);
  return result;
}

TEST(DecodeUtf8, BoundaryCodePointsAndAsciiRunsAroundThem) {
  const char32_t points[] = {0x0,    0x7F,   0x80,   0x7FF,   0x800,    0xD7FF,
                             0xE000, 0xFFFD, 0xFFFF, 0x10000, 0x10FFFF, 0x4E2D};
  std::u16string units;
  for (const char32_t cp : points) {
    const std::u16string expected =
        cp < 0x10000 ? std::u16string(1, static_cast<char16_t>(cp))
                     : std::u16string{static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)),
                                      static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF))};
    // The eight-byte ASCII path must hand over at every position.
    for (std::size_t before = 0; before < 18; before += 1) {
      const std::string ascii(before, 'x');
      const Utf8Result r = Decode(ascii + EncodeUtf8(cp) + "yz", units);
      EXPECT_EQ(r.status, Utf8Status::Complete);
      EXPECT_EQ(units, std::u16string(before, u'x') + expected + u"yz")
          << std::hex << static_cast<std::uint32_t>(cp);
    }
  }
}

TEST(DecodeUtf8, IllFormedAndCutShortSequences) {
  struct Case {
    std::string bytes;
    std::size_t bytesRead;
    Utf8Status status;
  };
  const Case cases[] = {
      {"ab\xC0\x80", 2, Utf8Status::Invalid},        // overlong NUL
      {"\xC1\xBF", 0, Utf8Status::Invalid},          // overlong 7F
      {"\xE0\x9F\xBF", 0, Utf8Status::Invalid},      // overlong 7FF
      {"\xF0\x8F\xBF\xBF", 0, Utf8Status::Invalid},  // overlong FFFF
      {"\xED\xA0\x80", 0, Utf8Status::Invalid},      // encoded surrogate D800
      {"\xED\xBF\xBF", 0, Utf8Status::Invalid},      // encoded surrogate DFFF
      {"\xF4\x90\x80\x80", 0, Utf8Status::Invalid},  // U+110000
      {"\xF5\x80\x80\x80", 0, Utf8Status::Invalid},  // lead beyond the range
      {"abcdefghij\xFF", 10, Utf8Status::Invalid},   // never a UTF-8 byte
      {"\x80", 0, Utf8Status::Invalid},              // stray continuation
      {"\xE4\xB8"
       "A",
       0, Utf8Status::Invalid},  // lead, then not a continuation
      {"\xE4\xB8\xAD\xF0\x9F\x98"
       "A",
       3, Utf8Status::Invalid},
      {"a\xE4\xB8", 1, Utf8Status::Truncated},
      {"\xF0\x9F\x98", 0, Utf8Status::Truncated},
      {"\xC3", 0, Utf8Status::Truncated},
      // A cut-off prefix that can never be completed is reported at once.
      {"\xE0\x80", 0, Utf8Status::Invalid},
      {"\xED\xA0", 0, Utf8Status::Invalid},
      {"\xF4\x90", 0, Utf8Status::Invalid},
  };
  std::u16string units;
  for (const Case& c : cases) {
    const Utf8Result r = Decode(c.bytes, units);
    EXPECT_EQ(r.status, c.status) << testing::PrintToString(c.bytes);
    EXPECT_EQ(r.bytesRead, c.bytesRead) << testing::PrintToString(c.bytes);
    if (c.status == Utf8Status::Invalid) {
      // Followed by more text, the sequence is judged by the whole-sequence path.
      const Utf8Result padded = Decode(c.bytes + "abcdefgh", units);
      EXPECT_EQ(padded.status, Utf8Status::Invalid) << testing::PrintToString(c.bytes);
      EXPECT_EQ(padded.bytesRead, c.bytesRead) << testing::PrintToString(c.bytes);
    }
  }
}

// Every chunk size from 1 byte up cuts each sample at every position: sequences,
// tokens and C lines split anywhere must still give the window's output.
TEST(StreamConverter, EqualsTheWindowAtEveryCut) {
  for (const Sample& sample : Samples()) {
    for (const OutputFormat format : {kHex, kC}) {
      const std::string expected = FormatNameToMac(sample.units, format);
      for (std::size_t chunk = 1; chunk <= sample.utf8.size() + 1; ++chunk) {
        const Outcome outcome = Convert(sample.utf8, format, chunk);
        EXPECT_EQ(outcome.error, "");
        EXPECT_EQ(outcome.output, expected) << sample.utf8 << " chunk " << chunk;
      }
    }
  }
}

TEST(StreamConverter, SeveralInputsAreOneTextWithEachByteOrderMarkSkipped) {
  const std::string bom = "\xEF\xBB\xBF";
  for (std::size_t chunk = 1; chunk <= 5; ++chunk) {
    const ConvertOptions options = Options(kC, chunk);
    EXPECT_EQ(ConvertInputs({bom + "ABCDEFGHIJ", bom + "KLMN十六" + bom}, options).output,
              FormatNameToMac(u"ABCDEFGHIJKLMN十六\uFEFF", kC));
    EXPECT_EQ(ConvertInputs({bom, "", bom + bom}, options).output, FormatNameToMac(u"\uFEFF", kC));
  }
}

TEST(StreamConverter, BadUtf8KeepsTheOutputBeforeItAndNamesTheOffset) {
  const std::string valid = "\xEF\xBB\xBF十六A";  // 10 bytes
  const std::string cases[] = {"\xED\xA0\x80进制", "\xC0\xAF", "\xE8\xBF"};
  for (const std::string& bad : cases) {
    for (std::size_t chunk = 1; chunk <= valid.size() + bad.size() + 1; ++chunk) {
      const Outcome outcome = Convert(valid + bad, kC, chunk);
      EXPECT_EQ(outcome.output, FormatNameToMac(u"十六A", kC)) << chunk;
      EXPECT_TRUE(outcome.error.starts_with("in.txt: invalid UTF-8 at byte offset 10"))
          << outcome.error;
    }
  }
  EXPECT_EQ(Convert("A\xE8\xBF", kHex, 64).error,
            "in.txt: invalid UTF-8 at byte offset 1: the input ends inside a character");
}

TEST(StreamConverter, LargeInputInManyChunksEqualsOnePiece) {
  std::mt19937 random(936);
  const char32_t pool[] = {U'A', U'z', U'\n', U'\r', U'€', U'µ', U'\U0001F600', U'\uE765'};
  std::string utf8;
  std::u16string units;
  for (int i = 0; i < 1'500'000; ++i) {
    const std::uint32_t pick = random() % 20;
    const char32_t cp = pick < 12 ? 0x4E00 + random() % 0x51A6 : pool[pick - 12];
    utf8 += EncodeUtf8(cp);
    if (cp >= 0x10000) {
      units += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      units += static_cast<char16_t>(cp);
    }
  }
  for (const OutputFormat format : {kHex, kC}) {
    const std::string expected = FormatNameToMac(units, format);
    for (const std::size_t chunk : {kDefaultChunkSize, std::size_t{4093}}) {
      EXPECT_TRUE(Convert(utf8, format, chunk).output == expected) << chunk;
    }
  }
}

TEST(StreamConverter, ArrayDeclarationAndLength) {
  EXPECT_EQ(ConvertInputs({"中A"}, Options(kC, kDefaultChunkSize, "msg")).output,
            "const unsigned char msg[] = {\r\n0XD6,0XD0,0X41,\r\n};\r\n"
            "const unsigned long msg_len = 3;\r\n");
  for (std::size_t length = 1; length <= 40; ++length) {
    const std::string text(length, 'Q');
    const std::string body = FormatNameToMac(std::u16string(length, u'Q'), kC);
    // A body that ends on a full line already ends with its line break.
    const std::string close = length % 16 == 0 ? "};\r\n" : "\r\n};\r\n";
    EXPECT_EQ(ConvertInputs({text.substr(0, 7), text.substr(std::min<std::size_t>(7, length))},
                            Options(kC, 3, "t"))
                  .output,
              "const unsigned char t[] = {\r\n" + body + close +
                  "const unsigned long t_len = " + std::to_string(length) + ";\r\n");
  }
  const Outcome empty = ConvertInputs({"\xEF\xBB\xBF", ""}, Options(kC, kDefaultChunkSize, "t"));
  EXPECT_EQ(empty.output, "");
  EXPECT_NE(empty.error, "");
}

// A stream buffer that takes `room` bytes and refuses the rest, or fails on
// every read: a full disk, a closed pipe, a directory opened as a file.
class BrokenBuffer : public std::streambuf {
 public:
  explicit BrokenBuffer(std::size_t room) : room_(room) {}

 protected:
  std::streamsize xsputn(const char*, std::streamsize n) override {
    const auto taken = std::min<std::streamsize>(n, static_cast<std::streamsize>(room_));
    room_ -= static_cast<std::size_t>(taken);
    return taken;
  }
  int_type overflow(int_type) override { return traits_type::eof(); }
  int_type underflow() override { throw std::ios_base::failure("device gone"); }

 private:
  std::size_t room_;
};

struct RunResult {
  int status;
  std::string out;
  std::string err;
};

RunResult RunWith(std::vector<std::string_view> args, const std::string& input = "",
                  std::size_t chunk = kDefaultChunkSize) {
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  const int status = Run(args, in, out, err, chunk);
  return {status, out.str(), err.str()};
}

TEST(CommandLine, OptionsAndTheirErrors) {
  EXPECT_EQ(RunWith({}, "中").out, "D6 D0 ");
  EXPECT_EQ(RunWith({"--format", "c"}, "中").out, "0XD6,0XD0,");
  EXPECT_EQ(RunWith({"--format=hex", "-"}, "中").out, "D6 D0 ");
  EXPECT_EQ(RunWith({"--format", "hex", "--format=c"}, "A").out, "0X41,");
  EXPECT_EQ(RunWith({"--array=s"}, "A").out,
            "const unsigned char s[] = {\r\n0X41,\r\n};\r\nconst unsigned long s_len = 1;\r\n");
  EXPECT_EQ(RunWith({"--version"}).out, "gbkhex-cli 1.00\n");
  const RunResult help = RunWith({"--help"});
  EXPECT_EQ(help.status, kExitOk);
  EXPECT_TRUE(help.out.starts_with("Usage: gbkhex-cli")) << help.out;

  const std::vector<std::vector<std::string_view>> bad = {
      {"--bogus"},         {"-x"},
      {"--format"},        {"--format", "C"},
      {"--format=binary"}, {"--array"},
      {"--array", "1abc"}, {"--array", "a-b"},
      {"--array", "int"},  {"--array=class"},
      {"--array="},        {"--array", "s", "--format", "hex"},
  };
  for (const auto& args : bad) {
    const RunResult result = RunWith(args, "A");
    EXPECT_EQ(result.status, kExitUsage) << args.front();
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("Usage: gbkhex-cli"), std::string::npos);
  }
  EXPECT_TRUE(IsCIdentifier("_text_2"));
  EXPECT_TRUE(IsCIdentifier("Integer"));
  EXPECT_TRUE(IsCIdentifier("in"));  // a keyword's prefix
  EXPECT_TRUE(IsCIdentifier("nt"));  // and its suffix
  EXPECT_FALSE(IsCIdentifier("_Alignas"));
  EXPECT_FALSE(IsCIdentifier("xor_eq"));
  EXPECT_FALSE(IsCIdentifier("名"));
}

TEST(CommandLine, FilesStandardInputAndFailures) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("gbkhex_cli_test_" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  const auto write = [&dir](const std::string& name, const std::string& text) {
    std::ofstream(dir / name, std::ios::binary) << text;
    return (dir / name).string();
  };
  const std::string a = write("a.txt", "ABCDEFGHIJKLMNOP");
  const std::string b = write("-b.txt", "Q中\n");
  const std::string bad = write("bad.txt", "R\xFF");
  const std::string missing = (dir / "missing.txt").string();

  const RunResult joined = RunWith({"--format", "c", a, "-", "--", b}, "\xEF\xBB\xBFX", 5);
  EXPECT_EQ(joined.status, kExitOk) << joined.err;
  EXPECT_EQ(joined.out, FormatNameToMac(u"ABCDEFGHIJKLMNOPXQ中\n", kC));

  const RunResult noFile = RunWith({a, missing, b});
  EXPECT_EQ(noFile.status, kExitFailure);
  EXPECT_EQ(noFile.out, FormatNameToMac(u"ABCDEFGHIJKLMNOP", kHex));
  EXPECT_NE(noFile.err.find(missing + ": cannot open"), std::string::npos) << noFile.err;

  const RunResult badFile = RunWith({a, bad});
  EXPECT_EQ(badFile.status, kExitFailure);
  EXPECT_EQ(badFile.out, FormatNameToMac(u"ABCDEFGHIJKLMNOPR", kHex));
  EXPECT_EQ(badFile.err, "gbkhex-cli: " + bad + ": invalid UTF-8 at byte offset 1\n");
  std::filesystem::remove_all(dir);

  BrokenBuffer broken(8);
  std::istream brokenIn(&broken);
  std::ostream brokenOut(&broken);
  std::ostringstream out;
  std::ostringstream err;
  const std::vector<std::string_view> noArgs;
  EXPECT_EQ(cli::Run(noArgs, brokenIn, out, err), kExitFailure);
  EXPECT_EQ(err.str().rfind("gbkhex-cli: standard input: read error", 0), 0u) << err.str();
  std::istringstream in("ABCD");
  EXPECT_EQ(cli::Run(noArgs, in, brokenOut, err), kExitFailure);
  EXPECT_NE(err.str().find("cannot write the output"), std::string::npos) << err.str();
  const std::vector<std::string_view> version = {"--version"};
  EXPECT_EQ(cli::Run(version, in, brokenOut, err), kExitFailure);
}

}  // namespace
}  // namespace gbkhex::cli
