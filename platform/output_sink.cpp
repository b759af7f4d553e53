#include "platform/output_sink.h"

#include <cerrno>

#include "i18n/messages.h"
#include "platform/output_file.h"
#include "text/fault.h"

namespace gbkhex::platform {
namespace {

constexpr std::size_t kGathered = 64 * 1024;

[[noreturn]] void Refused(const std::string& name, int error) {
  throw FatalFault(
      Fault{.kind = FaultKind::Output,
            .what = i18n::Fill(i18n::Tr("cannot write %s%s"), {name, SystemReason(error)})});
}

std::unique_ptr<OutputFile> OpenOutputFile(const std::string& utf8Path) {
  try {
    return std::make_unique<OutputFile>(utf8Path);
  } catch (const OutputFileError& error) {
    throw FatalFault(Fault{.kind = FaultKind::Output, .what = error.what()});
  }
}

}  // namespace

OutputSink::OutputSink(std::ostream& out, bool isTerminal, bool hold)
    : out_(out), name_(i18n::Tr("the output")), isTerminal_(isTerminal), holding_(hold) {}

OutputSink::OutputSink(const std::string& utf8Path)
    : file_(OpenOutputFile(utf8Path)),
      out_(file_->Stream()),
      name_(utf8Path),
      isTerminal_(false),
      holding_(false) {}

OutputSink::~OutputSink() = default;

void OutputSink::Write(std::string_view text) {
  if (text.empty()) return;
  last_ = text.back();
  if (buffer_.size() + text.size() > kGathered) Drain();
  if (text.size() >= kGathered && !holding_) {
    errno = 0;
    if (!out_.write(text.data(), static_cast<std::streamsize>(text.size()))) Refused(name_, errno);
    return;
  }
  buffer_.append(text);
}

void OutputSink::Gathered() {
  if (buffer_.empty()) return;
  last_ = buffer_.back();
  if (buffer_.size() >= kGathered) Drain();
}

void OutputSink::Drain() {
  if (buffer_.empty() || holding_) return;
  errno = 0;
  const bool written =
      static_cast<bool>(out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size())));
  buffer_.clear();
  if (!written) Refused(name_, errno);
}

void OutputSink::Flush() {
  Drain();
  if (holding_) return;
  errno = 0;
  if (!out_.flush()) Refused(name_, errno);
}

void OutputSink::EndLine() {
  if (isTerminal_ && last_ != '\n') Write("\n");
  Flush();
}

void OutputSink::Prepare() {
  // Standard output is written by Replace alone.
  if (!file_) return;
  Flush();
  try {
    file_->Prepare();
  } catch (const OutputFileError& error) {
    throw FatalFault(Fault{.kind = FaultKind::Output, .what = error.what()});
  }
}

void OutputSink::Commit() {
  try {
    Replace();
  } catch (const OutputFileError& error) {
    throw FatalFault(Fault{.kind = FaultKind::Output, .what = error.what()});
  }
  Settle();
}

void OutputSink::Replace() {
  Prepare();
  holding_ = false;
  Flush();
  if (file_) file_->Replace();
}

std::string OutputSink::Restore() noexcept {
  if (file_) return file_->Restore();
  return "written";
}

void OutputSink::Settle() noexcept {
  if (file_) file_->Settle();
}

}  // namespace gbkhex::platform
