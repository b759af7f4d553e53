#pragma once

#include <ostream>
#include <string_view>

namespace gbkhex::cli {

// Where a run's output goes, for every action alike. It throws FatalFault
// (with the system's reason) when the stream refuses bytes, and keeps what a
// terminal needs: the output there ends with a line break, so that the prompt
// or a message that follows starts a line of its own; into a pipe or a file
// the bytes stay exactly the conversion's.
class OutputSink {
 public:
  OutputSink(std::ostream& out, bool isTerminal) noexcept : out_(out), isTerminal_(isTerminal) {}

  void Write(std::string_view text);
  void Flush();

  // On a terminal, a line break after output that does not end with one;
  // then flushes, so that what follows on the terminal comes after it.
  void EndLine();

 private:
  std::ostream& out_;
  bool isTerminal_;
  char last_ = '\n';  // nothing written counts as a line ended
};

}  // namespace gbkhex::cli
