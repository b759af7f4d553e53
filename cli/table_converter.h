#pragma once

#include <istream>
#include <string>
#include <vector>

#include "cli/convert_options.h"
#include "cli/fault_report.h"
#include "cli/output_sink.h"
#include "text/text_check.h"

namespace gbkhex::cli {

// --table: the inputs read as one table (TableReader), written as the output
// that the options choose (a header, or the list of its texts' characters) to
// `out`; with a `source`, the header declares and the source defines the
// arrays. With a `taker`, the characters of the texts go to it (the glyphs of
// --glyphs).
void ConvertTable(const ConvertOptions& options, const std::vector<std::string>& inputs,
                  std::istream& standardInput, OutputSink& out, FaultSink& faults,
                  CharacterTaker* taker = nullptr, OutputSink* source = nullptr);

}  // namespace gbkhex::cli
