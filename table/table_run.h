#pragma once

#include <functional>

#include "emit/convert_options.h"
#include "emit/text_sink.h"
#include "table/table_reader.h"
#include "text/fault.h"
#include "text/text_check.h"

namespace gbkhex {

// Hands every input of a table to the reader (Read), or the fault of one
// that cannot be opened (Refuse), in order.
using TableInputs = std::function<void(TableReader&)>;

// A string table's run: the inputs read as one table, written as the output
// that the options choose (a header, or the list of its texts' characters) to
// `out`; with a `source`, the header declares and the source defines the
// arrays. With a `taker`, the characters of the texts go to it instead (the
// glyphs of a glyph run).
void RunTable(const ConvertOptions& options, const TableInputs& inputs, TextSink& out,
              FaultSink& faults, CharacterTaker* taker = nullptr, TextSink* source = nullptr);

}  // namespace gbkhex
