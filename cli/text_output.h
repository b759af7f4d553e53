#pragma once

#include <memory>
#include <string_view>

#include "cli/convert_options.h"
#include "cli/fault_report.h"
#include "cli/output_sink.h"

namespace gbkhex::cli {

// What a conversion makes of the text it has checked: its bytes in a format,
// an array declaration, or the list of its characters.
class TextOutput {
 public:
  virtual ~TextOutput() = default;

  // The next units of the text, in input order; none come after a fault.
  virtual void Write(std::u16string_view units) = 0;

  // After the last input, when no fault has stopped the output. What is wrong
  // with the whole (an array without a byte) or worth a warning goes to
  // `faults`.
  virtual void Finish(FaultReport& faults) = 0;
};

// The output that `choice` asks for, its characters held to `charset`, written
// to `out`. Of the outputs that are no text of the bytes, none is written
// here: Table's header is written entry by entry, Glyphs' once the glyphs are
// drawn, Decode's from a dump; this output of theirs writes nothing.
std::unique_ptr<TextOutput> MakeTextOutput(const OutputChoice& choice, Charset charset,
                                           OutputSink& out);

}  // namespace gbkhex::cli
