#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "convert/charset.h"
#include "emit/output_choice.h"
#include "emit/text_sink.h"
#include "text/fault.h"

namespace gbkhex {

// What a conversion makes of the text it has checked: its bytes in a format,
// an array declaration, or the list of its characters.
class TextOutput {
 public:
  virtual ~TextOutput() = default;

  // The next units of the text, in input order; none come after a fault.
  virtual void Write(std::u16string_view units) = 0;

  // After the last input, when no fault has stopped the output: what is wrong
  // with the whole (an array without a byte) or worth a warning (a literal
  // too long), if anything.
  virtual std::optional<Fault> Finish() = 0;
};

// The output that `choice` asks for, its characters held to `charset`, written
// to `out`. Of the outputs that are no text of the bytes, none is written
// here: Table's header is written entry by entry, Glyphs' once the glyphs are
// drawn, Decode's from a dump; this output of theirs writes nothing. With a
// `source` (and choice.headerName), Array's definition goes there and `out`
// takes the header that declares it.
std::unique_ptr<TextOutput> MakeTextOutput(const OutputChoice& choice, Charset charset,
                                           TextSink& out, TextSink* source = nullptr);

}  // namespace gbkhex
