#include "cli/table_converter.h"

#include <memory>
#include <optional>
#include <utility>

#include "cli/file_input.h"
#include "emit/code_page_936_bytes.h"
#include "emit/header_writer.h"
#include "emit/string_literal.h"
#include "emit/text_output.h"
#include "table/table_reader.h"
#include "text/character_classes.h"

namespace gbkhex::cli {
namespace {

// The header, its entries gathered as they come, and with a source file
// the definitions written beside it. The header's opening holds the include
// guard, which is known once every input has been read.
class HeaderOutput final : public TableEntries {
 public:
  HeaderOutput(const ConvertOptions& options, OutputSink& out, OutputSink* source,
               FaultReport& faults)
      : writer_(options.choice.style, options.choice.nul,
                source != nullptr ? options.choice.headerName : ""),
        literals_(options.choice.style.form == ValueForm::Literal),
        charset_(options.charset),
        out_(out),
        source_(source),
        faults_(faults) {}

  std::string Problem(const TableEntry& entry) const override {
    return writer_.EntryProblem(entry.text);
  }

  void Entry(const TableEntry& entry) override {
    OpenSource();
    const std::u16string_view units = UnitsToWrite(entry.units, charset_, written_);
    std::uint64_t length = 0;
    if (source_ != nullptr) {
      std::string& definitions = source_->Gathering();
      length = writer_.AppendEntry(entries_, definitions, entry.name, entry.text, units);
      source_->Gathered();
    } else {
      length = writer_.AppendEntry(entries_, entry.name, entry.text, units);
    }
    if (!literals_) return;
    if (std::optional<Fault> warning = OverlongLiteral(length)) {
      warning->input = entry.input;
      warning->line = entry.place.line;
      warning->column = entry.place.column;
      faults_.Add(*warning);
    }
  }

  void Finish(const std::string& guard) {
    OpenSource();
    out_.Write(writer_.Opening(guard));
    out_.Write(entries_);
    out_.Write(writer_.Closing());
  }

 private:
  void OpenSource() {
    if (opened_) return;
    if (source_ != nullptr) {
      source_->Gathering() += writer_.SourceOpening();
      source_->Gathered();
    }
    opened_ = true;
  }

  TableHeaderWriter writer_;
  bool literals_;
  Charset charset_;
  OutputSink& out_;
  OutputSink* source_;
  FaultReport& faults_;
  bool opened_ = false;
  std::string entries_;  // the header's, after its opening
  std::u16string written_;
};

// The texts of the entries, one after another, as the text of a TextOutput:
// --list counts their characters as it counts a text's.
class TextsOutput final : public TableEntries {
 public:
  TextsOutput(std::unique_ptr<TextOutput> output, FaultReport& faults)
      : output_(std::move(output)), faults_(faults) {}

  std::string Problem(const TableEntry&) const override { return {}; }

  void Entry(const TableEntry& entry) override {
    if (!entry.units.empty()) output_->Write(entry.units);
  }

  void Finish() {
    if (const std::optional<Fault> problem = output_->Finish()) faults_.Add(*problem);
  }

 private:
  std::unique_ptr<TextOutput> output_;
  FaultReport& faults_;
};

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

void ConvertTable(const ConvertOptions& options, const std::vector<std::string>& inputs,
                  std::istream& standardInput, OutputSink& out, FaultReport& faults,
                  CharacterTaker* taker, OutputSink* source) {
  std::optional<HeaderOutput> header;
  std::optional<TextsOutput> texts;
  TableEntries* entries = nullptr;
  if (options.choice.output == Output::Table) {
    entries = &header.emplace(options, out, source, faults);
  } else {
    entries = &texts.emplace(MakeTextOutput(options.choice, options.charset, out), faults);
  }
  TableReader reader(ReadingOf(options), *entries, faults, taker);
  ForEachInput(
      inputs, standardInput,
      [&reader](std::istream& in, std::string_view name) { reader.Read(in, name); },
      [&reader](const Fault& fault) { reader.Refuse(fault); });
  if (!reader.Failed()) {
    if (header) header->Finish(reader.Guard());
    if (texts) texts->Finish();
  }
  if (const std::optional<Fault> warning = reader.SubstitutionWarning()) faults.Add(*warning);
  out.Flush();
  if (source != nullptr) source->Flush();
}

}  // namespace gbkhex::cli
