#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/charset.h"
#include "emit/header_writer.h"
#include "emit/text_output.h"
#include "emit/text_sink.h"
#include "table/table_reader.h"
#include "text/fault.h"

namespace gbkhex {

// The header of a string table (TableHeaderWriter), its entries gathered as
// they come, and with a source file the definitions written beside it as they
// come. The header's opening holds the include guard, which is known once
// every input has been read: Finish writes the whole header. A string literal
// longer than C99 promises to compile is a warning at its entry's place.
class TableHeader final : public TableEntries {
 public:
  // `headerName`: with a `source`, the name by which it includes the header.
  TableHeader(const DeclarationStyle& style, bool nul, std::string_view headerName, Charset charset,
              TextSink& out, TextSink* source, FaultSink& faults);

  std::string Problem(const TableEntry& entry) const override;
  void Entry(const TableEntry& entry) override;

  // After the last input, when no fault has stopped the entries.
  void Finish(const std::string& guard);

 private:
  void OpenSource();
  // Where the next entry goes.
  std::string& NextPiece();

  TableHeaderWriter writer_;
  bool literals_;
  Charset charset_;
  TextSink& out_;
  TextSink* source_;
  FaultSink& faults_;
  bool opened_ = false;
  std::vector<std::string> entries_;      // the header's, after its opening, in pieces
  std::optional<std::size_t> openingAt_;  // in a sink that holds all: the opening's place
  std::u16string written_;
};

// The texts of the entries, one after another, as the text of a TextOutput:
// --list counts their characters as it counts a text's.
class TableTexts final : public TableEntries {
 public:
  TableTexts(std::unique_ptr<TextOutput> output, FaultSink& faults);

  std::string Problem(const TableEntry&) const override { return {}; }
  void Entry(const TableEntry& entry) override;

  // After the last input, when no fault has stopped the entries.
  void Finish();

 private:
  std::unique_ptr<TextOutput> output_;
  FaultSink& faults_;
};

}  // namespace gbkhex
