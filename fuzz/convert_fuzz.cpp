// Feeds arbitrary bytes to the conversion, and to the string table's, as
// UTF-8, as code page 936, and as UTF-16 of either byte order (a byte-order
// mark put before them), whole and in chunks of a few bytes: whatever the
// bytes, the output and every message are the same however the input is cut,
// and the output of a strict conversion is where the lossy one's starts.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "emit/stream_converter.h"
#include "platform/file_input.h"
#include "platform/output_sink.h"
#include "table/table_run.h"
#include "text/fault_report.h"

namespace {

struct Result {
  std::string out;
  std::string err;
};

Result Convert(const std::string& input, gbkhex::ConvertOptions options) {
  using namespace gbkhex;
  using namespace gbkhex::platform;
  std::ostringstream out;
  std::ostringstream err;
  OutputSink sink(out, false);
  FaultReport faults(err);
  std::istringstream in(input);
  if (options.table) {
    RunTable(options, TableInputsOf({}, in), sink, faults);
  } else {
    StreamConverter converter(options, sink, faults);
    converter.Convert(in, "fuzz");
    converter.Finish();
  }
  faults.Finish();
  return {out.str(), err.str()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace gbkhex;
  if (size == 0) return 0;
  // The first byte chooses the format, the charset, the encoding, the chunk
  // size and whether the input is a string table.
  const std::uint8_t choice = data[0];
  std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
  ConvertOptions options;
  options.choice.format = (choice & 1) != 0 ? OutputFormat::C : OutputFormat::Hexadecimal;
  options.charset = (choice & 2) != 0 ? Charset::Gb2312 : Charset::Gbk;
  options.table = (choice & 0x80) != 0;
  if (options.table) {
    options.choice.output = Output::Table;
    if ((choice & 1) != 0) options.choice.style.form = ValueForm::Literal;
  }
  switch (choice >> 2 & 3) {
    case 1:
      options.from = InputText::CodePage936;
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

  // A table's include guard depends on --lossy.
  if (options.table) return 0;
  options.lossy = true;
  const Result lossy = Convert(input, options);
  if (lossy.out.compare(0, whole.out.size(), whole.out) != 0) std::abort();
  return 0;
}
