#include "table/table_run.h"

#include <optional>

#include "emit/text_output.h"
#include "table/table_output.h"
#include "table/table_reader.h"

namespace gbkhex {
namespace {

// What the include guard depends on besides the tables: every option that
// changes the header.
std::string OptionsLine(const ConvertOptions& options) {
  if (options.choice.output != Output::Table) return {};
  std::string line = "table";
  const DeclarationStyle& style = options.choice.style;
  line.append(style.form == ValueForm::Literal ? " literals" : " constants");
  line.append(" type=").append(style.type);
  line.append(" attribute=").append(style.attribute);
  for (const std::string& include : style.includes) line.append(" include=").append(include);
  if (!options.choice.headerName.empty())
    line.append(" source-of=").append(options.choice.headerName);
  line.append(options.choice.nul ? " nul" : "");
  line.append(" ").append(WordOf(kCharsetWords, options.charset));
  line.append(options.from == InputText::CodePage936 ? " from-gbk" : "");
  line.append(options.lossy ? " lossy" : "");
  return line + "\n";
}

TableReading ReadingOf(const ConvertOptions& options) {
  return TableReading{.charset = options.charset,
                      .lossy = options.lossy,
                      .codePage936 = options.from == InputText::CodePage936,
                      .chunkSize = options.chunkSize,
                      .guardOptions = OptionsLine(options)};
}

}  // namespace

void RunTable(const ConvertOptions& options, const TableInputs& inputs, TextSink& out,
              FaultSink& faults, CharacterTaker* taker, TextSink* source) {
  std::optional<TableHeader> header;
  std::optional<TableTexts> texts;
  TableEntries* entries = nullptr;
  if (options.choice.output == Output::Table) {
    entries = &header.emplace(options.choice.style, options.choice.nul,
                              source != nullptr ? options.choice.headerName : "", options.charset,
                              out, source, faults);
  } else {
    entries = &texts.emplace(MakeTextOutput(options.choice, options.charset, out), faults);
  }
  TableReader reader(ReadingOf(options), *entries, faults, taker);
  inputs(reader);
  if (!reader.Failed()) {
    if (header) header->Finish(reader.Guard());
    if (texts) texts->Finish();
  }
  if (const std::optional<Fault> warning = reader.SubstitutionWarning()) faults.Add(*warning);
  out.Flush();
  if (source != nullptr) source->Flush();
}

}  // namespace gbkhex
