#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "text/fault_report.h"
#include "convert/code_format.h"
#include "convert/gbk_codec.h"
#include "convert/unicode.h"
#include "emit/dump_decoder.h"
#include "emit/stream_converter.h"
#include "platform/file_input.h"
#include "platform/output_sink.h"
#include "text/input_decoder.h"

namespace gbkhex::cli {
namespace {

std::string EncodeUtf8(char32_t cp) {
  std::string utf8;
  AppendUtf8(cp, utf8);
  return utf8;
}

// Hex pairs as the default output writes bytes, written here on their own.
std::string Hex(std::string_view bytes) {
  std::string hex;
  for (const char c : bytes) {
    AppendHexDigits(hex, static_cast<std::uint8_t>(c), 2);
    hex += ' ';
  }
  return hex;
}

using namespace std::string_literals;
using platform::FileInputBuffer;
using platform::FilePointer;
using platform::OutputSink;

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
      // Euro (one byte 80), micro sign (best fit), user-defined area; DEL.
      {"\xE2\x82\xAC\xC2\xB5\xEE\x80\x80\x7F", u"\u20AC\u00B5\uE000\x7F"},
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

// The error lines, without the last line break.
Outcome ConvertInputs(const std::vector<std::string>& inputs, ConvertOptions options) {
  std::ostringstream out;
  std::ostringstream err;
  OutputSink sink(out, false);
  FaultReport faults(err);
  StreamConverter converter(std::move(options), sink, faults);
  for (const std::string& input : inputs) {
    std::istringstream in(input);
    converter.Convert(in, "in.txt");
  }
  converter.Finish();
  Outcome outcome{out.str(), err.str()};
  if (!outcome.error.empty()) outcome.error.pop_back();
  return outcome;
}

// The window's bytes: a character without an exact code is written as the
// window writes it, instead of stopping the conversion.
ConvertOptions Options(OutputFormat format, std::size_t chunkSize = kDefaultChunkSize,
                       std::string arrayName = "") {
  ConvertOptions options;
  options.choice.format = format;
  options.chunkSize = chunkSize;
  if (!arrayName.empty()) options.choice = {.output = Output::Array, .name = std::move(arrayName)};
  options.lossy = true;
  return options;
}

// Inputs are one text, whose output runs on from one input into the next: a
// text cut into two inputs at any character gives the window's output. (The
// reader's chunks cut it anywhere; see input_reader_test.)
TEST(StreamConverter, EqualsTheWindowWhereverInputsCutTheText) {
  for (const Sample& sample : Samples()) {
    for (const OutputFormat format : {kHex, kC}) {
      const std::string expected = FormatNameToMac(sample.units, format);
      for (std::size_t cut = 0; cut <= sample.utf8.size(); ++cut) {
        if (cut < sample.utf8.size() && (sample.utf8[cut] & 0xC0) == 0x80) continue;
        const Outcome outcome =
            ConvertInputs({sample.utf8.substr(0, cut), sample.utf8.substr(cut)}, Options(format));
        EXPECT_EQ(outcome.error, "");
        EXPECT_EQ(outcome.output, expected) << sample.utf8 << " cut " << cut;
      }
    }
  }
  // GB 2312's own readings of A1 AA and A1 A4, beside code page 936's.
  ConvertOptions gb2312 = Options(kHex);
  gb2312.lossy = false;
  gb2312.charset = Charset::Gb2312;
  EXPECT_EQ(ConvertInputs({"—·―・中\n"}, gb2312).output, "A1 AA A1 A4 A1 AA A1 A4 D6 D0 0A ");
}

std::string ArrayOpening(const std::string& name) {
  return "/* The code page 936 (GBK) bytes of a text, written by gbkhex-cli. */\r\n"
         "#ifndef GBKHEX_ARRAY_" +
         name + "\r\n#define GBKHEX_ARRAY_" + name +
         "\r\n"
         "#if (defined(__cplusplus) && __cplusplus >= 201703L) || "
         "(defined(_MSVC_LANG) && _MSVC_LANG >= 201703L)\r\n"
         "inline\r\n#else\r\nstatic\r\n#endif\r\n"
         "const unsigned char " +
         name + "[] = {\r\n";
}

TEST(StreamConverter, ArrayDeclarationAndLength) {
  EXPECT_EQ(ConvertInputs({"中A"}, Options(kC, kDefaultChunkSize, "msg")).output,
            ArrayOpening("msg") + "0XD6,0XD0,0X41,\r\n};\r\n#define msg_len 3u\r\n#endif\r\n");
  for (std::size_t length = 1; length <= 40; ++length) {
    const std::string text(length, 'Q');
    const std::string body = FormatNameToMac(std::u16string(length, u'Q'), kC);
    // A body that ends on a full line already ends with its line break.
    const std::string close = length % 16 == 0 ? "};\r\n" : "\r\n};\r\n";
    EXPECT_EQ(ConvertInputs({text.substr(0, 7), text.substr(std::min<std::size_t>(7, length))},
                            Options(kC, 3, "t"))
                  .output,
              ArrayOpening("t") + body + close + "#define t_len " + std::to_string(length) +
                  "u\r\n#endif\r\n");
  }
  const Outcome empty = ConvertInputs({"\xEF\xBB\xBF", ""}, Options(kC, kDefaultChunkSize, "t"));
  EXPECT_EQ(empty.output, "");
  EXPECT_EQ(empty.error,
            "gbkhex-cli: the input is empty, and a C array needs at least one byte (a string "
            "literal or --nul can hold an empty text)");
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
                  std::size_t chunk = kDefaultChunkSize, bool terminal = false) {
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  const int status = Run(args, in, out, err, {.chunkSize = chunk, .outputIsTerminal = terminal});
  return {status, out.str(), err.str()};
}

TEST(CommandLine, OptionsAndTheirErrors) {
  EXPECT_EQ(RunWith({}, "中").out, "D6 D0 ");
  EXPECT_EQ(RunWith({"--format", "c"}, "中").out, "0XD6,0XD0,");
  EXPECT_EQ(RunWith({"--format=hex", "-"}, "中").out, "D6 D0 ");
  // Values in any case; the same value twice is no conflict.
  EXPECT_EQ(RunWith({"--format", "C", "--format=c", "--charset=GB2312"}, "A").out, "0X41,");
  EXPECT_EQ(RunWith({"--FROM=GBK"}, "A").status, kExitUsage);  // names are not values
  EXPECT_EQ(RunWith({"--array=s"}, "A").out,
            ArrayOpening("s") + "0X41,\r\n};\r\n#define s_len 1u\r\n#endif\r\n");
  EXPECT_EQ(RunWith({"--version"}).out, "gbkhex-cli 1.00\n");
  const RunResult help = RunWith({"--help"});
  EXPECT_EQ(help.status, kExitOk);
  EXPECT_TRUE(help.out.starts_with("Usage: gbkhex-cli")) << help.out;

  const std::vector<std::vector<std::string_view>> bad = {
      {"--bogus"},
      {"-x"},
      {"--format"},
      {"--format=binary"},
      {"--format", "hex", "--format=c"},  // twice, with different values
      {"--array", "a", "--array", "b"},
      {"--lossy=yes"},
      {"-hx"},
      {"--array"},
      {"--array", "1abc"},
      {"--array", "a-b"},
      {"--array", "int"},
      {"--array=class"},
      {"--array="},
      {"--array", "s", "--format", "hex"},
      {"--array", "_s"},
      {"--array", "linux"},
      {"--charset"},
      {"--charset", "gbk2312"},
      {"--from", "utf-16"},
      {"--decode", "--from", "gbk"},
      {"--decode", "--lossy"},
      {"--decode", "--format", "hex"},
      {"--decode", "--charset=gbk"},
      {"--decode", "--array", "s"},
      {"--decode", "--table"},
      {"--decode", "--list"},
      {"--table", "--array", "s"},
      {"--table", "--format", "hex"},
      {"--type", "const uint8_t"},  // with no declaration to go before
      {"--attribute", "PROGMEM"},
      {"--array", "s", "--type", " "},
      {"--array", "s", "--type", "char; int x"},
      {"--table", "--attribute", "x /* y */"},
      {"--table", "--attribute", "f((x)"},
      {"--list", "--format", "c"},
      {"--list", "--nul"},
      {"-o"},
      {"-o", ""},
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

// The parser reads any table: short options with values, free text kept as
// given, options that conflict and options that need another, as the rows
// say; choices in any case, each the value of its row, or the default row's
// when not given; one option twice only with one value.
TEST(ParseOptions, ReadsWhatTheRowsSay) {
  const OptionRow rows[] = {
      {.option = Option::Format,
       .name = "format",
       .kind = ValueKind::Choice,
       .choice = Word(kFormatWords, Format::Hexadecimal)},
      {.option = Option::Format,
       .name = "format",
       .kind = ValueKind::Choice,
       .choice = Word(kFormatWords, Format::String),
       .isDefault = true},
      {.option = Option::Array,
       .name = "output",
       .shortName = 'o',
       .kind = ValueKind::Text,
       .placeholder = "FILE"},
      {.option = Option::Charset,
       .name = "type",
       .kind = ValueKind::Text,
       .placeholder = "TEXT",
       .requiresAnyOf = OptionSet().set(static_cast<std::size_t>(Option::Array))},
      {.option = Option::Decode,
       .name = "list",
       .conflicts = OptionSet().set(static_cast<std::size_t>(Option::Format))},
      {.option = Option::Lossy, .name = "nul"},
  };
  struct Case {
    std::vector<std::string_view> args;
    std::string error;  // "" for none
    std::string output = "";
    std::string type = "";
    std::vector<std::string> operands = {};
    Format format = Format::String;
  };
  const Case cases[] = {
      {{"-o", "a.h", "x.txt"}, "", "a.h", "", {"x.txt"}},
      {{"-oa.h", "--output=a.h", "--", "-o"}, "", "a.h", "", {"-o"}},
      {{"--type", "const uint8_t", "-o", "-"}, "", "-", "const uint8_t"},
      {{"--type=Const CODE", "-o", "x", "-", "y"}, "", "x", "Const CODE", {"-", "y"}},
      {{"--format", "STRING", "--format=string", "--nul", "--nul"}, ""},
      {{"--format=Hex"}, "", "", "", {}, Format::Hexadecimal},
      {{"--type", "t"}, "--type goes only with --output"},
      {{"--list", "--format", "hex"}, "--list cannot be combined with --format"},
      {{"--format", "hex", "--format", "string"},
       "--format is given twice, as 'hex' and as 'string'"},
      {{"-o", "a", "-o", "b"}, "--output is given twice, as 'a' and as 'b'"},
      {{"--format", "c"}, "unknown value 'c' for --format (hex or string)"},
      {{"-o"}, "option --output needs a value"},
      {{"--nul=1"}, "option --nul takes no value"},
      {{"-x"}, "unknown option '-x'"},
      {{"--out"}, "unknown option '--out'"},
  };
  for (const Case& c : cases) {
    try {
      const ParsedArguments parsed = ParseOptions(c.args, rows);
      EXPECT_EQ(c.error, "") << c.args.front();
      EXPECT_EQ(parsed.Value(Option::Array).value_or(""), c.output) << c.args.front();
      EXPECT_EQ(parsed.Value(Option::Charset).value_or(""), c.type) << c.args.front();
      EXPECT_EQ(parsed.operands, c.operands) << c.args.front();
      EXPECT_EQ(parsed.Choice<Format>(Option::Format), c.format) << c.args.front();
    } catch (const UsageError& error) {
      EXPECT_EQ(error.what(), c.error) << c.args.front();
    }
  }
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
  // The inputs after a missing one are still read for their faults.
  const RunResult missingThenBad = RunWith({missing, bad});
  EXPECT_EQ(missingThenBad.out, "");
  EXPECT_NE(missingThenBad.err.find(bad + ":1:2: error"), std::string::npos) << missingThenBad.err;

  const RunResult badFile = RunWith({a, bad});
  EXPECT_EQ(badFile.status, kExitFailure);
  EXPECT_EQ(badFile.out, FormatNameToMac(u"ABCDEFGHIJKLMNOPR", kHex));
  EXPECT_EQ(badFile.err, bad + ":1:2: error: invalid UTF-8 (byte FF) at byte offset 1\n");
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

// The first 100 errors are listed, then one line says how many more there are.
TEST(CommandLine, ListsAHundredFaultsThenCountsTheRest) {
  std::string text = "ok\n";
  for (int line = 2; line <= 76; ++line) text += "\xC2\xB5 \xFF\n";  // two faults a line
  const RunResult result = RunWith({"-"}, text, 7);
  EXPECT_EQ(result.status, kExitFailure);
  EXPECT_EQ(result.out, "6F 6B 0A ");
  std::vector<std::string> lines;
  std::istringstream err(result.err);
  for (std::string line; std::getline(err, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 101u);
  EXPECT_EQ(lines[0],
            "standard input:2:1: error: U+00B5 'µ' has no exact code in GBK (code page 936)");
  EXPECT_EQ(lines[1], "standard input:2:3: error: invalid UTF-8 (byte FF) at byte offset 6");
  EXPECT_EQ(lines[99], "standard input:51:3: error: invalid UTF-8 (byte FF) at byte offset 251");
  EXPECT_EQ(lines[100], "gbkhex-cli: 50 more errors not listed, 150 in all");

  std::string oneTooMany;
  for (int fault = 0; fault < 101; ++fault) oneTooMany += "\xFF";
  const RunResult justOver = RunWith({"-"}, oneTooMany, 7);
  EXPECT_TRUE(justOver.err.ends_with("\ngbkhex-cli: 1 more error not listed, 101 in all\n"));
}

// Every UTF-16 unit, in UTF-16LE and UTF-16BE with a byte-order mark, gives
// what the same text gives in UTF-8: the same bytes, the same faults in the
// same places. Surrogates come as pairs, U+0000 last (a fault in all three).
TEST(CommandLine, Utf16WithAByteOrderMarkEqualsUtf8ForEveryUnit) {
  std::u16string units;
  for (std::uint32_t u = 1; u <= 0xFFFF; ++u) {
    if (u < 0xD800 || u > 0xDFFF) units += static_cast<char16_t>(u);
  }
  for (std::uint32_t i = 0; i < 0x400; ++i) {
    units += static_cast<char16_t>(0xD800 + i);
    units += static_cast<char16_t>(0xDC00 + i);
  }
  units += u'\0';
  std::string utf8;
  std::string little = "\xFF\xFE";
  std::string big = "\xFE\xFF";
  for (std::size_t at = 0; at < units.size(); ++at) {
    const char16_t unit = units[at];
    little += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    big += {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
    if (unit >= 0xD800 && unit <= 0xDBFF) continue;  // the pair is one character
    const char32_t c =
        unit >= 0xDC00 && unit <= 0xDFFF
            ? 0x10000 + ((char32_t{units[at - 1]} - 0xD800) << 10) + (char32_t{unit} - 0xDC00)
            : unit;
    utf8 += EncodeUtf8(c);
  }
  for (const std::vector<std::string_view>& args :
       {std::vector<std::string_view>{"--lossy"}, std::vector<std::string_view>{}}) {
    const RunResult expected = RunWith(args, utf8);
    EXPECT_EQ(expected.status, kExitFailure);  // the U+0000
    if (!args.empty()) {
      EXPECT_TRUE(expected.out == FormatNameToMac(units.substr(0, units.size() - 1), kHex));
    }
    for (const std::string* utf16 : {&little, &big}) {
      for (const std::size_t chunk : {kDefaultChunkSize, std::size_t{4093}}) {
        const RunResult result = RunWith(args, *utf16, chunk);
        EXPECT_EQ(result.status, expected.status);
        EXPECT_TRUE(result.out == expected.out) << (utf16 == &big ? "BE " : "LE ") << chunk;
        // Text that is UTF-16 already needs no hint that it might be.
        std::string err = expected.err;
        const std::string hint = "; the input looks like UTF-16 without a byte-order mark";
        if (err.find(hint) != std::string::npos) err.erase(err.find(hint), hint.size());
        EXPECT_EQ(result.err, err) << (utf16 == &big ? "BE " : "LE ") << chunk;
      }
    }
  }
}

TEST(CommandLine, IllFormedUtf16) {
  // A lone half of each kind, and a last byte alone.
  const RunResult result = RunWith({},
                                   "\xFF\xFE"
                                   "A\0\x00\xDC"
                                   "B\0\x00\xD8"
                                   "C\0D"s,
                                   3);
  EXPECT_EQ(result.status, kExitFailure);
  EXPECT_EQ(result.out, "41 ");
  EXPECT_EQ(result.err,
            "standard input:1:2: error: invalid UTF-16 (bytes 00 DC, a surrogate half alone) at "
            "byte offset 4\n"
            "standard input:1:4: error: invalid UTF-16 (bytes 00 D8, a surrogate half alone) at "
            "byte offset 8\n"
            "standard input:1:6: error: invalid UTF-16 (byte 44) at byte offset 12; the input "
            "ends inside a character\n");
}

// glibc's CP936 decoder is the oracle for every two-byte code, but for the
// codes that Windows, and it alone, gives to the Private Use Area (the
// user-defined area among them).
TEST(CommandLine, FromGbkTakesEveryCodeThatCodePage936DefinesAndRefusesTheRest) {
  const iconv_t cp936 = iconv_open("UTF-16LE", "CP936");
  ASSERT_NE(cp936, reinterpret_cast<iconv_t>(-1));
  std::string defined;
  int codes = 0;
  for (std::uint32_t lead = 0x81; lead <= 0xFE; ++lead) {
    for (std::uint32_t trail = 0; trail <= 0xFF; ++trail) {
      char in[] = {static_cast<char>(lead), static_cast<char>(trail)};
      char out[8];
      char* inAt = in;
      char* outAt = out;
      std::size_t inLeft = 2;
      std::size_t outLeft = sizeof out;
      iconv(cp936, nullptr, nullptr, nullptr, nullptr);
      const bool glibc = iconv(cp936, &inAt, &inLeft, &outAt, &outLeft) != std::size_t(-1) &&
                         inLeft == 0 && outLeft == sizeof out - 2;
      const auto code = static_cast<std::uint16_t>(lead << 8 | trail);
      const std::optional<char16_t> windows = GbkDecoder().Decode(code);
      const bool privateUse = windows && *windows >= 0xE000 && *windows <= 0xF8FF;
      const std::uint8_t bytes[] = {static_cast<std::uint8_t>(lead),
                                    static_cast<std::uint8_t>(trail)};
      char16_t unit[2];
      const DecodeStep step = DecodeInput(InputEncoding::CodePage936, bytes, unit, true);
      const bool accepted = step.illFormed == 0 && step.unitsWritten == 1;
      EXPECT_EQ(accepted, glibc || privateUse) << std::hex << code;
      if (accepted) {
        defined.append(in, 2);
        if (++codes % 32 == 0) defined += '\n';
      }
    }
  }
  iconv_close(cp936);
  // Every byte but a lead byte and 00 is a character of its own.
  std::string single;
  for (std::uint32_t byte = 1; byte <= 0xFF; ++byte) {
    if (!IsGbkLeadByte(static_cast<std::uint8_t>(byte))) single += static_cast<char>(byte);
  }
  for (const std::string& text : {defined, single}) {
    const RunResult result = RunWith({"--from", "gbk"}, text, 4093);
    EXPECT_EQ(result.status, kExitOk) << result.err;
    EXPECT_TRUE(result.out == Hex(text));  // the input's own bytes
  }
  const RunResult gb2312 = RunWith({"--from=gbk", "--charset=gb2312"}, "\xD6\xD0\x95\x41\xA1\xAA");
  EXPECT_EQ(gb2312.out, "D6 D0 ");
  EXPECT_EQ(gb2312.err, "standard input:1:3: error: U+65F3 '旳' is not in GB2312\n");
  const RunResult undefined = RunWith({"--from", "gbk"}, "A\n\xD6\xD0\x81\x0A\xA1\x7F\xFE");
  EXPECT_EQ(undefined.status, kExitFailure);
  EXPECT_EQ(undefined.out, "41 0A D6 D0 ");
  EXPECT_EQ(undefined.err,
            "standard input:2:3: error: no character of code page 936 (byte 81) at byte offset 4\n"
            "standard input:3:1: error: no character of code page 936 (byte A1) at byte offset 6\n"
            "standard input:3:3: error: no character of code page 936 (byte FE) at byte offset 8; "
            "the input ends inside a character\n");
}

// On a terminal the output ends with a line break, which it may hold already;
// into a pipe or a file, never.
TEST(CommandLine, OnATerminalTheOutputEndsWithALineBreak) {
  struct Case {
    std::vector<std::string_view> args;
    std::string input;
    std::string terminal;
  };
  const Case cases[] = {
      {{}, "A", "41 \n"},
      {{}, "", ""},
      {{"--format", "c"}, "ABCDEFGHIJKLMNOP", FormatNameToMac(u"ABCDEFGHIJKLMNOP", kC)},
      {{"--decode"}, "41 0A", "A\n"},
      {{"--decode"}, "41", "A\n"},
      {{}, "A\xFF", "41 \n"},  // before the message
  };
  for (const Case& c : cases) {
    const RunResult file = RunWith(c.args, c.input, kDefaultChunkSize, false);
    const RunResult terminal = RunWith(c.args, c.input, kDefaultChunkSize, true);
    EXPECT_EQ(terminal.out, c.terminal) << c.input;
    EXPECT_EQ(terminal.out.substr(0, file.out.size()), file.out) << c.input;
    EXPECT_EQ(terminal.err, file.err);
  }
}

TEST(CommandLine, LossyWritesTheWindowsBytesAndSaysHowManyWhere) {
  for (std::size_t chunk = 1; chunk <= 12; ++chunk) {
    const RunResult gbk = RunWith({"--lossy"}, "a\xC2\xB5\n\xF0\x9F\x98\x80\xC3\xBE", chunk);
    EXPECT_EQ(gbk.status, kExitOk);
    EXPECT_EQ(gbk.out, "61 A6 CC 0A 3F 3F 74 ");
    EXPECT_EQ(gbk.err,
              "standard input:1:2: warning: 3 characters have no exact code in GBK (code page "
              "936) and were written as the gbkhex window writes them; the first is U+00B5 'µ'\n")
        << chunk;
  }
  const RunResult gb2312 = RunWith({"--lossy", "--charset", "gb2312"}, "中\n啰");
  EXPECT_EQ(gb2312.out, "D6 D0 0A 86 AA ");
  EXPECT_EQ(gb2312.err,
            "standard input:2:1: warning: 1 character is not in GB2312 and was written as the "
            "gbkhex window writes it; the first is U+5570 '啰'\n");
  EXPECT_EQ(RunWith({"--lossy"}, "中").err, "");
}

// Every exact unit, in every output form: decoding gives the text back.
TEST(CommandLine, DecodeGivesEveryExactTextBack) {
  std::string text;
  for (std::uint32_t u = 1; u <= 0xFFFF; ++u) {  // U+0000 is refused
    if (GbkEncoder().Holds(static_cast<char16_t>(u))) text += EncodeUtf8(u);
  }
  const std::vector<std::vector<std::string_view>> forms = {
      {},
      {"--format", "c"},
      {"--array", "all"},
      {"--format", "string"},
      {"--array", "all", "--format", "string", "--type", "const uint8_t"}};
  for (const auto& form : forms) {
    const RunResult encoded = RunWith(form, text);
    ASSERT_EQ(encoded.status, kExitOk) << encoded.err;
    const RunResult decoded = RunWith({"--decode"}, encoded.out);
    EXPECT_EQ(decoded.status, kExitOk) << decoded.err;
    EXPECT_TRUE(decoded.out == text) << (form.empty() ? "hex" : form.back());
  }
  const RunResult bad = RunWith({"--decode"}, "41 42 FE");
  EXPECT_EQ(bad.status, kExitFailure);
  EXPECT_EQ(bad.out, "AB");
  EXPECT_EQ(bad.err,
            "standard input:1:7: error: the dump ends inside a character, after the lead byte FE "
            "at byte offset 6\n");
}

TEST(CommandLine, ArrayNamesThatCannotCompileAreRefused) {
  for (const std::string_view good : {"text", "Text_2", "in", "nt", "linux2", "mainly"}) {
    EXPECT_EQ(ArrayNameProblem(good), "") << good;
  }
  for (const std::string_view bad :
       {"",     "2x",   "a-b",   "名",    "int",   "typeof_unqual", "co_await",
        "_x",   "_X",   "__x",   "a__b",  "a_",    "main",          "linux",
        "unix", "i386", "WIN32", "errno", "stdin", "NULL"}) {
    EXPECT_NE(ArrayNameProblem(bad), "") << bad;
  }
}

// A C stream whose reads deliver `text` and then fail with EIO, as a disk
// failing halfway does.
std::FILE* FailingHalfway(const std::string& text) {
  struct Source {
    std::string text;
    std::size_t at = 0;
  };
  cookie_io_functions_t functions{};
  functions.read = [](void* cookie, char* buffer, std::size_t size) -> ssize_t {
    auto& source = *static_cast<Source*>(cookie);
    if (source.at == source.text.size()) {
      errno = EIO;
      return -1;
    }
    const std::size_t n = std::min(size, source.text.size() - source.at);
    std::copy_n(source.text.data() + source.at, n, buffer);
    source.at += n;
    return static_cast<ssize_t>(n);
  };
  functions.close = [](void* cookie) {
    delete static_cast<Source*>(cookie);
    return 0;
  };
  return fopencookie(new Source{text}, "r", functions);
}

TEST(CommandLine, AFailedReadIsAnErrorNotTheEnd) {
  for (const std::vector<std::string_view>& args :
       {std::vector<std::string_view>{}, std::vector<std::string_view>{"--decode"}}) {
    const FilePointer file(FailingHalfway(args.empty() ? "AB" : "41 42"));
    FileInputBuffer buffer(file.get());
    std::istream in(&buffer);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(cli::Run(args, in, out, err, {.chunkSize = 4}), kExitFailure);
    EXPECT_EQ(out.str(), args.empty() ? "41 42 " : "AB");
    EXPECT_EQ(err.str(), "gbkhex-cli: standard input: read error: Input/output error\n");
  }
}

}  // namespace
}  // namespace gbkhex::cli
