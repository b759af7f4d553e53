// FormatNameToMac on a million units of typical input: 70 % CJK from the GBK
// range, 30 % printable ASCII. Reports bytes of output per second.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "convert/code_format.h"
#include "harness/typical_text.h"

namespace {

void ConvertMillionUnits(benchmark::State& state, gbkhex::OutputFormat format) {
  const std::u16string text = gbkhex::harness::TypicalText(936).Utf16(1'000'000);
  std::size_t outputBytes = 0;
  for (auto _ : state) {
    std::string out = gbkhex::FormatNameToMac(text, format);
    outputBytes = out.size();
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * outputBytes));
  state.counters["output_MB"] = static_cast<double>(outputBytes) / 1e6;
}

BENCHMARK_CAPTURE(ConvertMillionUnits, Hexadecimal, gbkhex::OutputFormat::Hexadecimal)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ConvertMillionUnits, C, gbkhex::OutputFormat::C)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
