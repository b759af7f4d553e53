#include "text/fault_report.h"

#include "gbkhex/product.h"
#include "i18n/messages.h"

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
  std::string what = fault.what;
  if (fault.byteOffset) {
    what = i18n::Fill(i18n::Tr("%s at byte offset %s"), {what, std::to_string(*fault.byteOffset)});
  }
  // TRANSLATORS: a fault and the advice that follows it.
  if (!fault.hint.empty()) what = i18n::Fill(i18n::Tr("%s; %s"), {what, fault.hint});
  return line.append(what);
}

void FaultReport::Add(const Fault& fault) {
  if (fault.severity == Severity::Error && errors_++ >= kMaxListed) return;
  Write(FaultLine(fault));
}

void FaultReport::Finish() {
  if (errors_ <= kMaxListed) return;
  const auto unlisted = errors_ - kMaxListed;
  Write(std::string(product::kCliName) + ": " +
        i18n::Fill(i18n::TrN("%s more error not listed, %s in all",
                             "%s more errors not listed, %s in all", unlisted),
                   {std::to_string(unlisted), std::to_string(errors_)}));
}

void FaultReport::Write(const std::string& line) {
  if (beforeWriting_) beforeWriting_();
  err_ << line << '\n';
  err_.flush();
}

}  // namespace gbkhex
