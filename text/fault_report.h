#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "text/fault.h"

namespace gbkhex {

// The one line, without its line break, that reports `fault`. One with a place
// is written as compilers write theirs, for editors to jump to:
//   NAME:LINE:COLUMN: error: WHAT at byte offset N; HINT
// one without names the program:
//   gbkhex-cli: NAME: WHAT at byte offset N; HINT
// and a warning without a place says so:
//   gbkhex-cli: warning: WHAT
std::string FaultLine(const Fault& fault);

// Where the faults of a run go, as they are found, so that they come in input
// order and memory stays flat: the first kMaxListed errors are written, the
// rest counted and summed up in one line by Finish. Warnings are always written.
class FaultReport final : public FaultSink {
 public:
  static constexpr std::uint64_t kMaxListed = 100;

  // `beforeWriting` runs before every line written: what the output holds so
  // far must reach the terminal before the message that follows it.
  explicit FaultReport(std::ostream& err, std::function<void()> beforeWriting = {})
      : err_(err), beforeWriting_(std::move(beforeWriting)) {}

  void Add(const Fault& fault) override;

  // Whether the next error is listed: a caller may spare working out the place
  // of one that is only counted.
  bool ListsNextError() const noexcept override { return errors_ < kMaxListed; }

  std::uint64_t Errors() const noexcept { return errors_; }

  // The line that counts the errors not listed, if there were any.
  void Finish();

 private:
  void Write(const std::string& line);

  std::ostream& err_;
  std::function<void()> beforeWriting_;
  std::uint64_t errors_ = 0;
};

}  // namespace gbkhex
