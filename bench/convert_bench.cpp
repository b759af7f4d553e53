// FormatNameToMac on a million units of typical input: 70 % CJK from the GBK
// range, 30 % printable ASCII. Reports bytes of output per second.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>

#include "convert/code_format.h"

namespace {

std::u16string TypicalText(std::size_t length) {
  std::mt19937 random(936);
  // The unified ideographs that GBK encodes in its two-byte area.
  std::uniform_int_distribution<int> cjk(0x4E00, 0x9FA5);
  std::uniform_int_distribution<int> ascii(0x20, 0x7E);
  std::uniform_int_distribution<int> percent(0, 99);
  std::u16string text;
  text.reserve(length);
  for (std::size_t i = 0; i < length; ++i) {
    text.push_back(static_cast<char16_t>(percent(random) < 70 ? cjk(random) : ascii(random)));
  }
  return text;
}

void ConvertMillionUnits(benchmark::State& state, gbkhex::OutputFormat format) {
  const std::u16string text = TypicalText(1'000'000);
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
