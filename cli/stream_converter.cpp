#include "cli/stream_converter.h"

#include <utility>

namespace gbkhex::cli {
namespace {

// An array holds C constants whatever format was asked for.
ConvertOptions Normalized(ConvertOptions options) {
  if (!options.arrayName.empty() && !options.literals) options.format = OutputFormat::C;
  return options;
}

}  // namespace

StreamConverter::StreamConverter(ConvertOptions options, OutputSink& out, FaultReport& faults)
    : options_(Normalized(std::move(options))),
      out_(out),
      faults_(faults),
      check_(options_.charset, options_.lossy, faults, options_.taker),
      reader_(check_, options_.from == InputText::CodePage936, options_.chunkSize),
      output_(MakeTextOutput(options_, out)) {}

void StreamConverter::Finish() {
  if (!check_.Failed()) output_->Finish(faults_);
  out_.Flush();
}

}  // namespace gbkhex::cli
