// The string-table forms against the C format they stand beside, through the
// converters that the program runs: string literals against C constants on a
// million characters of typical text, and a string table of 10,000 entries
// (about 1 MB) written as a header against the same texts through the C
// format. Output goes to a stream that keeps nothing.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <ostream>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>

#include "cli/fault.h"
#include "cli/output_sink.h"
#include "cli/stream_converter.h"
#include "cli/table_converter.h"

namespace {

using namespace gbkhex;
using namespace gbkhex::cli;

// 70 % ideographs that GBK encodes, 30 % printable ASCII, in UTF-8.
std::string TypicalUtf8(std::size_t characters, std::mt19937& random) {
  std::uniform_int_distribution<int> cjk(0x4E00, 0x9FA5);
  std::uniform_int_distribution<int> ascii(0x21, 0x7E);
  std::uniform_int_distribution<int> percent(0, 99);
  std::string text;
  for (std::size_t i = 0; i < characters; ++i) {
    if (percent(random) < 70) {
      const int c = cjk(random);
      text += static_cast<char>(0xE0 | c >> 12);
      text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      const int c = ascii(random);
      text += static_cast<char>(c == '"' ? '!' : c);  // no text opens with a quote
    }
  }
  return text;
}

class Discard : public std::streambuf {
 protected:
  std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
};

void Report(benchmark::State& state, std::size_t inputBytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * inputBytes));
}

// Times `convert(in, sink, faults)` on `input`, a new sink and report each time.
template <typename Convert>
void Time(benchmark::State& state, const std::string& input, Convert convert) {
  Discard discard;
  std::ostream out(&discard);
  std::ostringstream err;
  for (auto _ : state) {
    OutputSink sink(out, false);
    FaultReport faults(err);
    std::istringstream in(input);
    convert(in, sink, faults);
    if (faults.Errors() != 0) state.SkipWithError("the input has faults");
  }
  Report(state, input.size());
}

void Stream(benchmark::State& state, const std::string& input, const ConvertOptions& options) {
  Time(state, input, [&options](std::istream& in, OutputSink& sink, FaultReport& faults) {
    StreamConverter converter(options, sink, faults);
    converter.Convert(in, "bench");
    converter.Finish();
  });
}

const std::string& MillionCharacters() {
  static const std::string text = [] {
    std::mt19937 random(936);
    return TypicalUtf8(1'000'000, random);
  }();
  return text;
}

void CConstants(benchmark::State& state) {
  ConvertOptions options;
  options.format = OutputFormat::C;
  Stream(state, MillionCharacters(), options);
}

void StringLiterals(benchmark::State& state) {
  ConvertOptions options;
  options.literals = true;
  Stream(state, MillionCharacters(), options);
}

// 10,000 entries of 30 to 40 characters: about 1 MB.
struct Table {
  std::string table;
  std::string texts;  // its texts, one a line
};

const Table& TenThousandEntries() {
  static const Table table = [] {
    std::mt19937 random(14);
    std::uniform_int_distribution<std::size_t> length(30, 40);
    Table made;
    for (int i = 0; i < 10'000; ++i) {
      const std::string text = TypicalUtf8(length(random), random);
      made.table += "entry_" + std::to_string(i) + " = " + text + "\n";
      made.texts += text + "\n";
    }
    return made;
  }();
  return table;
}

void TableThroughTheCFormat(benchmark::State& state) {
  ConvertOptions options;
  options.format = OutputFormat::C;
  Stream(state, TenThousandEntries().texts, options);
}

void TableHeader(benchmark::State& state, bool literals) {
  ConvertOptions options;
  options.format = OutputFormat::C;
  options.table = true;
  options.literals = literals;
  Time(state, TenThousandEntries().table,
       [&options](std::istream& in, OutputSink& sink, FaultReport& faults) {
         ConvertTable(options, {}, in, sink, faults);
       });
}

BENCHMARK(CConstants)->Unit(benchmark::kMillisecond);
BENCHMARK(StringLiterals)->Unit(benchmark::kMillisecond);
BENCHMARK(TableThroughTheCFormat)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TableHeader, Constants, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TableHeader, Literals, true)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
