#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <stdexcept>
#include <string>

namespace gbkhex::platform {

// One output of a run's transaction (CommitTogether): made complete by
// Prepare, put in place by Replace, and put back by Restore until Settle.
class ReplaceableOutput {
 public:
  virtual void Prepare() = 0;
  virtual void Replace() = 0;
  // Puts the output back as it was before Replace: "" when it is, else the
  // state it is left in.
  virtual std::string Restore() noexcept = 0;
  virtual void Settle() noexcept = 0;
  // As messages name it.
  virtual const std::string& Name() const noexcept = 0;

 protected:
  ~ReplaceableOutput() = default;
};

// Puts every output in place as one: prepares each completely, then replaces
// them in the given order (the header, which names the others, last), each
// old file kept until all are in place. When one fails, those already
// replaced are restored, and the error thrown is the failure's alone; only
// where a restore fails too does it name each output and the state it was
// left in. Throws OutputFileError.
void CommitTogether(std::span<ReplaceableOutput* const> outputs);

// ": " and the system's text for errno value `error`, or "" for 0: streams
// keep errno but do not promise to, so an unset one just gives no reason.
std::string SystemReason(int error);

// FILE could not be created, written or put in place; what() names it and
// gives the system's reason.
class OutputFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The output of `-o FILE`: it goes to a new file in FILE's folder, which
// Commit renames over FILE (rename on POSIX, MoveFileExW on Windows). Until
// then FILE is as it was; if Commit is never reached (an error, an exception,
// the object destroyed) or fails, the new file is removed and FILE is left
// alone. SIGINT, SIGTERM and SIGHUP remove it too, where nothing else handles
// them; on Windows the system deletes it when the process ends before Commit.
//
// FILE that exists and is no regular file (/dev/null, a pipe, NUL) is
// written directly, as there is nothing to replace. On POSIX systems the new
// file gets the permissions that creating FILE would give (0666 less the
// umask) or, when FILE exists, FILE's own, as a shell's '>' would leave them;
// and a symbolic link is followed (its target is replaced, the link stays).
// The name is UTF-8 (made wide on Windows, so that any script works).
class OutputFile final : public ReplaceableOutput {
 public:
  explicit OutputFile(const std::string& utf8Path);
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  // Where the output goes. A write that fails sets badbit, with errno set to
  // the system's reason, as writing to standard output does; Commit reports it.
  std::ostream& Stream() noexcept;

  // Writes what is buffered and closes the new file, without putting it in
  // place yet: of two files that go together, both are complete before
  // either replaces its FILE. Throws OutputFileError, after which FILE is as
  // it was; nothing more may be written then.
  void Prepare() override;

  // Prepares, then puts the file in place of FILE. Throws OutputFileError,
  // after which FILE is as it was.
  void Commit();

  // Commit in the steps of a transaction of several files (CommitTogether):
  // Replace prepares and puts the file in place of FILE, keeping FILE's old
  // content aside (a hard link, or a copy where the file system has none);
  // Restore puts that back, or removes FILE where there was none; Settle lets
  // the old content go. Replace throws OutputFileError, after which FILE is
  // as it was. A file written directly (no regular file) has nothing to restore.
  void Replace() override;
  std::string Restore() noexcept override;
  void Settle() noexcept override;
  const std::string& Name() const noexcept override;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

// The picture (--preview) and the image (--image) of a run, complete when the
// glyphs are written; the run puts them in place with the header.
struct PictureAndImage {
  std::optional<OutputFile> picture;
  std::optional<OutputFile> image;
};

}  // namespace gbkhex::platform
