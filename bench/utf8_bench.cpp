// Each UTF-8 decoder that this processor can run, on a megabyte of typical
// input (70 % CJK from the GBK range, 30 % printable ASCII) and on ASCII alone.
// Reports input bytes per second.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "cli/utf8.h"

namespace {

using gbkhex::cli::Utf8Decoder;

std::vector<std::uint8_t> Utf8Text(std::size_t size, int cjkPercent) {
  std::mt19937 random(936);
  std::uniform_int_distribution<int> cjk(0x4E00, 0x9FA5);
  std::uniform_int_distribution<int> ascii(0x20, 0x7E);
  std::uniform_int_distribution<int> percent(0, 99);
  std::vector<std::uint8_t> text;
  text.reserve(size + 2);
  while (text.size() < size) {
    if (percent(random) < cjkPercent) {
      const int cp = cjk(random);
      text.push_back(static_cast<std::uint8_t>(0xE0 | cp >> 12));
      text.push_back(static_cast<std::uint8_t>(0x80 | (cp >> 6 & 0x3F)));
      text.push_back(static_cast<std::uint8_t>(0x80 | (cp & 0x3F)));
    } else {
      text.push_back(static_cast<std::uint8_t>(ascii(random)));
    }
  }
  return text;
}

void Decode(benchmark::State& state, const Utf8Decoder& decoder,
            const std::vector<std::uint8_t>& text) {
  std::u16string units(text.size(), u'\0');
  for (auto _ : state) {
    const auto result = decoder.decode(text, units.data());
    benchmark::DoNotOptimize(result);
    benchmark::ClobberMemory();
    if (result.status != gbkhex::cli::Utf8Status::Complete) state.SkipWithError("not decoded");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

}  // namespace

int main(int argc, char** argv) {
  static const std::vector<std::uint8_t> mixed = Utf8Text(1 << 20, 70);
  static const std::vector<std::uint8_t> ascii = Utf8Text(1 << 20, 0);
  for (const Utf8Decoder& decoder : gbkhex::cli::Utf8DecodersForThisCpu()) {
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
