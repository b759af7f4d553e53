// Feeds arbitrary bytes to the conversion as UTF-8, as code page 936, and as
// UTF-16 of either byte order (a byte-order mark put before them), whole and
// in chunks of a few bytes: whatever the bytes, the output and every message
// are the same however the input is cut, and the output of a strict run is
// where the lossy run's output starts.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "cli/fault.h"
#include "cli/output_sink.h"
#include "cli/stream_converter.h"

namespace {

struct Result {
  std::string out;
  std::string err;
};

Result Convert(const std::string& input, gbkhex::cli::ConvertOptions options) {
  using namespace gbkhex::cli;
  std::ostringstream out;
  std::ostringstream err;
  OutputSink sink(out, false);
  FaultReport faults(err);
  StreamConverter converter(options, sink, faults);
  std::istringstream in(input);
  converter.Convert(in, "fuzz");
  converter.Finish();
  faults.Finish();
  return {out.str(), err.str()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace gbkhex;
  if (size == 0) return 0;
  // The first byte chooses the encoding, the charset and the chunk size.
  const std::uint8_t choice = data[0];
  std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
  cli::ConvertOptions options;
  options.format = (choice & 1) != 0 ? OutputFormat::C : OutputFormat::Hexadecimal;
  options.charset = (choice & 2) != 0 ? Charset::Gb2312 : Charset::Gbk;
  switch (choice >> 2 & 3) {
    case 1:
      options.from = cli::InputText::CodePage936;
      break;
    case 2:
      input.insert(0, "\xFF\xFE");
      break;
    case 3:
      input.insert(0, "\xFE\xFF");
      break;
    default:
      break;
  }
  options.chunkSize = input.size() + 1;  // one read takes it all
  const Result whole = Convert(input, options);
  options.chunkSize = 1 + (choice >> 4 & 7);
  const Result cut = Convert(input, options);
  if (cut.out != whole.out || cut.err != whole.err) std::abort();

  options.lossy = true;
  const Result lossy = Convert(input, options);
  if (lossy.out.compare(0, whole.out.size(), whole.out) != 0) std::abort();
  return 0;
}
