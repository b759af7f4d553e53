#include "table/table_output.h"

#include <optional>
#include <utility>

#include "convert/gbk_codec.h"
#include "emit/string_literal.h"

namespace gbkhex {
namespace {

constexpr std::size_t kPieceSize = 64 * 1024;

}  // namespace

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
  std::string& piece = NextPiece();
  const std::u16string_view units = GbkEncoder(charset_).UnitsToWrite(entry.units, written_);
  std::uint64_t length = 0;
  if (source_ != nullptr) {
    std::string& definitions = source_->Gathering();
    length = writer_.AppendEntry(piece, definitions, entry.name, entry.text, units);
    source_->Gathered();
  } else {
    length = writer_.AppendEntry(piece, entry.name, entry.text, units);
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
  const std::string opening = writer_.Opening(guard);
  if (openingAt_) {
    // The opening was held for, and is filled in where it stands.
    NextPiece();
    out_.Gathering().replace(*openingAt_, writer_.Opening(TableGuard().Name()).size(), opening);
    out_.Gathered();
  } else {
    out_.Write(opening);
    for (const std::string& piece : entries_) out_.Write(piece);
  }
  out_.Write(writer_.Closing());
}

std::string& TableHeader::NextPiece() {
  if (out_.HoldsAll()) {
    // A sink that holds the whole header takes the entries in place, after
    // an opening as long as the one that the guard will make.
    if (!openingAt_) {
      openingAt_ = out_.Gathering().size();
      out_.Gathering() += writer_.Opening(TableGuard().Name());
    }
    return out_.Gathering();
  }
  // Else pieces that are never copied to grow, each written out as it stands.
  if (entries_.empty() || entries_.back().size() >= kPieceSize) {
    entries_.emplace_back().reserve(kPieceSize + kPieceSize / 4);
  }
  return entries_.back();
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
