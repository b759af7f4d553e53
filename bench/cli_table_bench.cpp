// The string-table forms against the C format they stand beside, through the
// converters that the program runs: string literals against C constants on a
// million characters of typical text, and a string table of 10,000 entries
// (about 1 MB) written as a header against the same texts through the C
// format. Output goes to a stream that keeps nothing.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>

#include "emit/stream_converter.h"
#include "harness/typical_text.h"
#include "platform/file_input.h"
#include "platform/output_sink.h"
#include "table/table_run.h"
#include "text/fault_report.h"

namespace {

using namespace gbkhex;
using namespace gbkhex::platform;

// A table's text stands as it is: no quote to open it, no blank to be cut
// from its end.
std::string TableText(harness::TypicalText& typical, std::size_t characters) {
  std::string text = typical.Utf8(characters);
  std::replace(text.begin(), text.end(), '"', '!');
  std::replace(text.begin(), text.end(), ' ', '_');
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
  static const std::string text = harness::TypicalText(936).Utf8(1'000'000);
  return text;
}

void CConstants(benchmark::State& state) {
  ConvertOptions options;
  options.choice.format = OutputFormat::C;
  Stream(state, MillionCharacters(), options);
}

void StringLiterals(benchmark::State& state) {
  ConvertOptions options;
  options.choice.output = Output::Literals;
  Stream(state, MillionCharacters(), options);
}

// 10,000 entries of 30 to 40 characters: about 1 MB.
struct Table {
  std::string table;
  std::string texts;  // its texts, one a line
};

const Table& TenThousandEntries() {
  static const Table table = [] {
    harness::TypicalText typical(14);
    std::uniform_int_distribution<std::size_t> length(30, 40);
    Table made;
    for (int i = 0; i < 10'000; ++i) {
      const std::string text = TableText(typical, length(typical.Random()));
      made.table += "entry_" + std::to_string(i) + " = " + text + "\n";
      made.texts += text + "\n";
    }
    return made;
  }();
  return table;
}

void TableThroughTheCFormat(benchmark::State& state) {
  ConvertOptions options;
  options.choice.format = OutputFormat::C;
  Stream(state, TenThousandEntries().texts, options);
}

void TableHeader(benchmark::State& state, bool literals) {
  ConvertOptions options;
  options.choice.output = Output::Table;
  options.choice.style.form = literals ? ValueForm::Literal : ValueForm::Constants;
  options.table = true;
  Time(state, TenThousandEntries().table,
       [&options](std::istream& in, OutputSink& sink, FaultReport& faults) {
         RunTable(options, TableInputsOf({}, in), sink, faults);
       });
}

BENCHMARK(CConstants)->Unit(benchmark::kMillisecond);
BENCHMARK(StringLiterals)->Unit(benchmark::kMillisecond);
BENCHMARK(TableThroughTheCFormat)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TableHeader, Constants, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TableHeader, Literals, true)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
