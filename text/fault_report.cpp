#include "text/fault_report.h"

#include "gbkhex/product.h"

namespace gbkhex {

std::string FaultLine(const Fault& fault) {
  std::string line;
  if (fault.line != 0) {
    line.append(fault.input).append(":").append(std::to_string(fault.line)).append(":");
    line.append(std::to_string(fault.column)).append(": ");
    line.append(fault.severity == Severity::Error ? "error: " : "warning: ");
  } else {
    line.append(product::kCliName).append(": ");
    if (!fault.input.empty()) line.append(fault.input).append(": ");
    if (fault.severity == Severity::Warning) line.append("warning: ");
  }
  line.append(fault.what);
  if (fault.byteOffset) line.append(" at byte offset ").append(std::to_string(*fault.byteOffset));
  if (!fault.hint.empty()) line.append("; ").append(fault.hint);
  return line;
}

void FaultReport::Add(const Fault& fault) {
  if (fault.severity == Severity::Error && errors_++ >= kMaxListed) return;
  Write(FaultLine(fault));
}

void FaultReport::Finish() {
  if (errors_ <= kMaxListed) return;
  const auto unlisted = errors_ - kMaxListed;
  Write(std::string(product::kCliName) + ": " + std::to_string(unlisted) +
        (unlisted == 1 ? " more error not listed, " : " more errors not listed, ") +
        std::to_string(errors_) + " in all");
}

void FaultReport::Write(const std::string& line) {
  if (beforeWriting_) beforeWriting_();
  err_ << line << '\n';
  err_.flush();
}

}  // namespace gbkhex
