#include "cli/output_sink.h"

#include <cerrno>

#include "cli/fault.h"

namespace gbkhex::cli {
namespace {

[[noreturn]] void Refused(int error) {
  throw FatalFault(
      Fault{.kind = FaultKind::Output, .what = "cannot write the output" + SystemReason(error)});
}

}  // namespace

void OutputSink::Write(std::string_view text) {
  if (text.empty()) return;
  errno = 0;
  if (!out_.write(text.data(), static_cast<std::streamsize>(text.size()))) Refused(errno);
  last_ = text.back();
}

void OutputSink::Flush() {
  errno = 0;
  if (!out_.flush()) Refused(errno);
}

void OutputSink::EndLine() {
  if (isTerminal_ && last_ != '\n') Write("\n");
  Flush();
}

}  // namespace gbkhex::cli
