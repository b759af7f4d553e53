#include "emit/stream_converter.h"

#include <utility>

namespace gbkhex {

StreamConverter::StreamConverter(ConvertOptions options, TextSink& out, FaultSink& faults,
                                 CharacterTaker* taker, TextSink* source)
    : options_(std::move(options)),
      out_(out),
      faults_(faults),
      check_(options_.charset, options_.lossy, faults, taker),
      reader_(check_, options_.from == InputText::CodePage936, options_.chunkSize),
      output_(MakeTextOutput(options_.choice, options_.charset, out, source)),
      source_(source) {}

void StreamConverter::Finish() {
  if (!check_.Failed()) {
    if (const std::optional<Fault> problem = output_->Finish()) faults_.Add(*problem);
  }
  out_.Flush();
  if (source_ != nullptr) source_->Flush();
}

}  // namespace gbkhex
