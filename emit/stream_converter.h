#pragma once

#include <istream>
#include <memory>
#include <optional>
#include <string_view>

#include "emit/convert_options.h"
#include "emit/text_output.h"
#include "emit/text_sink.h"
#include "text/fault.h"
#include "text/input_reader.h"
#include "text/text_check.h"

namespace gbkhex {

// Converts inputs to the output that the options ask for (the code page 936
// bytes of FormatNameToMac, literals, an array, the character list), one chunk
// at a time, so memory stays flat whatever the input size. Successive inputs
// form one stream: the C format's lines run on from one input into the next.
//
// Every fault is handed to the FaultReport as it is found, and the conversion
// goes on to find the next: the output holds the text before the first fault,
// and nothing after it.
class StreamConverter final : TextReceiver {
 public:
  // With a `taker`, the characters that pass the checks go to it (the glyphs
  // of --glyphs); with a `source`, the array is defined there (--source).
  StreamConverter(ConvertOptions options, TextSink& out, FaultSink& faults,
                  CharacterTaker* taker = nullptr, TextSink* source = nullptr);

  // Converts the whole of `in`, named `name` in faults.
  void Convert(std::istream& in, std::string_view name) { reader_.ReadText(in, name, *this); }

  // A fault of an input that the caller could not open: it stops the output
  // as any other fault does.
  void Refuse(const Fault& fault) { check_.Report(fault); }

  // Ends the output (closes the array declaration, writes the list), if there
  // were no faults, and flushes.
  void Finish();

  // After a lossy conversion that substituted characters, the warning that
  // says how many and where the first is.
  std::optional<Fault> SubstitutionWarning() const { return check_.SubstitutionWarning(); }

 private:
  void Text(std::u16string_view units) override { output_->Write(units); }

  ConvertOptions options_;
  TextSink& out_;
  FaultSink& faults_;
  TextCheck check_;
  InputReader reader_;
  std::unique_ptr<TextOutput> output_;
  TextSink* source_;
};

}  // namespace gbkhex
