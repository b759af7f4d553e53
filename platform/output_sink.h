#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "emit/text_sink.h"
#include "platform/output_file.h"

namespace gbkhex::platform {

// Where a run's output goes, for every action alike: standard output, or with
// -o FILE a new file that only Commit puts in place of FILE, so that a run
// that fails leaves FILE as it was. It throws FatalFault (with the system's
// reason) when the output cannot be made or refuses bytes, and keeps what a
// terminal needs: the output there ends with a line break, so that the prompt
// or a message that follows starts a line of its own; into a pipe or a file
// the bytes stay exactly the conversion's.
//
// Small writes are gathered into large ones; Flush, EndLine and Commit hand
// on what is gathered, as the report of a fault does before its message.
class OutputSink final : public TextSink, public ReplaceableOutput {
 public:
  // Standard output; with `hold`, nothing reaches it before Commit, so that a
  // run that fails writes nothing there either (a header cut short would
  // still compile, wrongly, or leave an #ifndef open).
  OutputSink(std::ostream& out, bool isTerminal, bool hold = false);
  // FILE, named in UTF-8 (see OutputFile).
  explicit OutputSink(const std::string& utf8Path);
  OutputSink(const OutputSink&) = delete;
  OutputSink& operator=(const OutputSink&) = delete;
  ~OutputSink();

  void Write(std::string_view text) override;
  std::string& Gathering() noexcept override { return buffer_; }
  void Gathered() override;
  bool HoldsAll() const noexcept override { return holding_ && !file_; }

  void Flush() override;

  // On a terminal, a line break after output that does not end with one;
  // then flushes, so that what follows on the terminal comes after it.
  void EndLine();

  // At the end of a run without errors: flushes, and puts FILE in place.
  // Prepare first, for each of two files, puts neither in place before both
  // are complete.
  void Prepare() override;
  void Commit();

  // The steps of CommitTogether. Standard output is written by Replace, and
  // cannot be restored: it goes last.
  void Replace() override;
  std::string Restore() noexcept override;
  void Settle() noexcept override;
  const std::string& Name() const noexcept override { return name_; }

 private:
  void Drain();

  std::unique_ptr<OutputFile> file_;
  std::ostream& out_;
  std::string name_;  // as messages name the output
  bool isTerminal_;
  bool holding_;
  std::string buffer_;
  char last_ = '\n';  // nothing written counts as a line ended
};

}  // namespace gbkhex::platform
