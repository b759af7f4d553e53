#include "table/table_output.h"

#include <optional>
#include <utility>

#include "emit/code_page_936_bytes.h"
#include "emit/string_literal.h"

namespace gbkhex {

TableHeader::TableHeader(const DeclarationStyle& style, bool nul, std::string_view headerName,
                         Charset charset, TextSink& out, TextSink* source, FaultSink& faults)
    : writer_(style, nul, std::string(headerName)),
      literals_(style.form == ValueForm::Literal),
      charset_(charset),
      out_(out),
      source_(source),
      faults_(faults) {}

std::string TableHeader::Problem(const TableEntry& entry) const {
  return writer_.EntryProblem(entry.text);
}

void TableHeader::Entry(const TableEntry& entry) {
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

void TableHeader::Finish(const std::string& guard) {
  OpenSource();
  out_.Write(writer_.Opening(guard));
  out_.Write(entries_);
  out_.Write(writer_.Closing());
}

void TableHeader::OpenSource() {
  if (opened_) return;
  if (source_ != nullptr) {
    source_->Gathering() += writer_.SourceOpening();
    source_->Gathered();
  }
  opened_ = true;
}

TableTexts::TableTexts(std::unique_ptr<TextOutput> output, FaultSink& faults)
    : output_(std::move(output)), faults_(faults) {}

void TableTexts::Entry(const TableEntry& entry) {
  if (!entry.units.empty()) output_->Write(entry.units);
}

void TableTexts::Finish() {
  if (const std::optional<Fault> problem = output_->Finish()) faults_.Add(*problem);
}

}  // namespace gbkhex
