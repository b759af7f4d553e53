// Each UTF-8 decoder that this processor can run, on a megabyte of typical
// input (70 % CJK from the GBK range, 30 % printable ASCII) and on ASCII alone.
// Reports input bytes per second.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "harness/typical_text.h"
#include "text/utf8.h"

namespace {

using gbkhex::Utf8Decoder;

std::vector<std::uint8_t> Utf8Text(std::size_t size, int cjkPercent) {
  gbkhex::harness::TypicalText typical(936, cjkPercent);
  std::string text;
  while (text.size() < size) text += typical.Utf8(1);
  return {text.begin(), text.end()};
}

void Decode(benchmark::State& state, const Utf8Decoder& decoder,
            const std::vector<std::uint8_t>& text) {
  std::u16string units(text.size(), u'\0');
  for (auto _ : state) {
    const auto result = decoder.decode(text, units.data());
    benchmark::DoNotOptimize(result);
    benchmark::ClobberMemory();
    if (result.status != gbkhex::Utf8Status::Complete) state.SkipWithError("not decoded");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

}  // namespace

int main(int argc, char** argv) {
  static const std::vector<std::uint8_t> mixed = Utf8Text(1 << 20, 70);
  static const std::vector<std::uint8_t> ascii = Utf8Text(1 << 20, 0);
  for (const Utf8Decoder& decoder : gbkhex::Utf8DecodersForThisCpu()) {
    const std::string name(decoder.name);
    benchmark::RegisterBenchmark(
        ("DecodeUtf8/" + name + "/mixed").c_str(),
        [&decoder](benchmark::State& state) { Decode(state, decoder, mixed); });
    benchmark::RegisterBenchmark(
        ("DecodeUtf8/" + name + "/ascii").c_str(),
        [&decoder](benchmark::State& state) { Decode(state, decoder, ascii); });
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
