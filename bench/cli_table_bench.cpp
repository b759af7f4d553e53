// The string-table pieces against the C format they stand beside: string
// literals against C constants on a million units of typical text, and a
// string table of 10,000 entries (about 1 MB) read and written as a header
// against the same texts through the C format. Both sides decode UTF-8 and
// look up codes, as the command line does (with the lookup that the C format
// inlines).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>

#include "cli/header_writer.h"
#include "cli/string_literal.h"
#include "cli/string_table.h"
#include "cli/utf8.h"
#include "convert/code_format.h"
#include "convert/code_page_936_table.h"

namespace {

using namespace gbkhex;
using namespace gbkhex::cli;

constexpr std::size_t kChunk = 64 * 1024;

// 70 % ideographs that GBK encodes, 30 % printable ASCII, in UTF-8.
std::string TypicalUtf8(std::size_t characters, std::mt19937& random) {
  std::uniform_int_distribution<int> cjk(0x4E00, 0x9FA5);
  std::uniform_int_distribution<int> ascii(0x20, 0x7E);
  std::uniform_int_distribution<int> percent(0, 99);
  std::string text;
  for (std::size_t i = 0; i < characters; ++i) {
    if (percent(random) < 70) {
      const int c = cjk(random);
      text += static_cast<char>(0xE0 | c >> 12);
      text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      text += static_cast<char>(ascii(random));
    }
  }
  return text;
}

std::u16string Units(std::string_view utf8) {
  std::u16string units(utf8.size(), u'\0');
  const Utf8Result decoded =
      DecodeUtf8({reinterpret_cast<const std::uint8_t*>(utf8.data()), utf8.size()}, units.data());
  units.resize(decoded.unitsWritten);
  return units;
}

void AppendBytes(std::u16string_view units, std::string& bytes) {
  const std::size_t start = bytes.size();
  bytes.resize(start + 2 * units.size());
  char* out = bytes.data() + start;
  for (const char16_t unit : units) {
    const std::uint16_t code = detail::CodePage936Code(unit);
    *out = static_cast<char>(code >> 8);
    out += code > 0xFF ? 1 : 0;
    *out++ = static_cast<char>(code & 0xFF);
  }
  bytes.resize(static_cast<std::size_t>(out - bytes.data()));
}

void Report(benchmark::State& state, std::size_t inputBytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * inputBytes));
}

void CConstants(benchmark::State& state) {
  std::mt19937 random(936);
  const std::string utf8 = TypicalUtf8(1'000'000, random);
  std::u16string units(kChunk, u'\0');
  for (auto _ : state) {
    CodeWriter writer(OutputFormat::C);
    std::string out;
    for (std::size_t at = 0; at < utf8.size(); at += kChunk) {
      const std::string_view chunk = std::string_view(utf8).substr(at, kChunk);
      const Utf8Result decoded = DecodeUtf8(
          {reinterpret_cast<const std::uint8_t*>(chunk.data()), chunk.size()}, units.data());
      out.clear();
      writer.Append(std::u16string_view(units).substr(0, decoded.unitsWritten), out);
      benchmark::DoNotOptimize(out.data());
    }
  }
  Report(state, utf8.size());
}

void StringLiterals(benchmark::State& state) {
  std::mt19937 random(936);
  const std::string utf8 = TypicalUtf8(1'000'000, random);
  std::u16string units(kChunk, u'\0');
  std::string bytes;
  for (auto _ : state) {
    StringLiteralWriter writer;
    std::string out;
    for (std::size_t at = 0; at < utf8.size(); at += kChunk) {
      const std::string_view chunk = std::string_view(utf8).substr(at, kChunk);
      const Utf8Result decoded = DecodeUtf8(
          {reinterpret_cast<const std::uint8_t*>(chunk.data()), chunk.size()}, units.data());
      bytes.clear();
      AppendBytes(std::u16string_view(units).substr(0, decoded.unitsWritten), bytes);
      out.clear();
      writer.Append(bytes, out);
      benchmark::DoNotOptimize(out.data());
    }
    writer.Finish(out);
  }
  Report(state, utf8.size());
}

// 10,000 entries of 30 to 40 characters: about 1 MB.
struct Table {
  std::string text;   // the table
  std::string texts;  // its texts, one a line
};

const Table& TenThousandEntries() {
  static const Table table = [] {
    std::mt19937 random(14);
    std::uniform_int_distribution<std::size_t> length(30, 40);
    Table made;
    for (int i = 0; i < 10'000; ++i) {
      const std::string text = TypicalUtf8(length(random), random);
      made.text += "entry_" + std::to_string(i) + " = " + text + "\n";
      made.texts += text + "\n";
    }
    return made;
  }();
  return table;
}

void TableThroughTheCFormat(benchmark::State& state) {
  const std::string& texts = TenThousandEntries().texts;
  for (auto _ : state) {
    CodeWriter writer(OutputFormat::C);
    std::string out;
    writer.Append(Units(texts), out);
    benchmark::DoNotOptimize(out.data());
  }
  Report(state, TenThousandEntries().text.size());
}

void TableHeaderOf(benchmark::State& state, ValueForm form) {
  const std::string& text = TenThousandEntries().text;
  for (auto _ : state) {
    TableLines lines;
    TableNames names;
    const TableHeaderWriter header({form, "", ""}, false);
    TableGuard guard;
    guard.Add("\n");
    guard.Add(text);
    std::string out = header.Opening(guard.Name());
    std::uint64_t number = 0;
    std::string bytes;
    std::u16string units;
    lines.Append(text);
    TableLine entry;
    while (const auto line = lines.Next()) {
      ReadTableLine(*line, entry);
      ++number;
      if (entry.kind != TableLine::Kind::Entry || names.Add(entry.name, number)) continue;
      units.resize(entry.text.size());
      const Utf8Result decoded =
          DecodeUtf8({reinterpret_cast<const std::uint8_t*>(entry.text.data()), entry.text.size()},
                     units.data());
      bytes.clear();
      AppendBytes(std::u16string_view(units).substr(0, decoded.unitsWritten), bytes);
      header.AppendEntry(out, entry.name, entry.text, bytes);
      if (out.size() >= kChunk) {
        benchmark::DoNotOptimize(out.data());
        out.clear();
      }
    }
    out += header.Closing();
    benchmark::DoNotOptimize(out.data());
  }
  Report(state, text.size());
}

BENCHMARK(CConstants)->Unit(benchmark::kMillisecond);
BENCHMARK(StringLiterals)->Unit(benchmark::kMillisecond);
BENCHMARK(TableThroughTheCFormat)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TableHeaderOf, Constants, ValueForm::Constants)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TableHeaderOf, Literals, ValueForm::Literal)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
