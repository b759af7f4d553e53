#include "platform/output_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <streambuf>
#include <system_error>
#include <vector>

#include "emit/output_paths.h"
#include "i18n/messages.h"
#include "platform/output_files.h"

namespace gbkhex::platform {
namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr int kNameAttempts = 100;

std::string Reason(int error) { return i18n::SystemErrorText(error); }

// A name no other file in the folder has, most likely: the caller retries on
// a clash.
std::string TemporaryName() {
  static std::mt19937_64 random{std::random_device{}()};
  constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string name = ".gbkhex-cli-";
  for (int i = 0; i < 10; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
  return name + ".tmp";
}

std::string FolderName(const std::string& path) {
  const std::string prefix = FolderPrefix(path);
  return prefix.empty() ? "." : prefix;
}

// Buffers the output and hands it to the sink in large writes. A failure is
// kept (and left in errno) and fails every later write.
class SinkBuffer : public std::streambuf {
 public:
  explicit SinkBuffer(FileSink& sink) : sink_(sink), buffer_(kBufferSize) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
  }

  int Failure() const noexcept { return failure_; }

  // Writes out what is buffered; false on failure.
  bool Drain() {
    if (failure_ == 0) {
      failure_ = sink_.Write(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    }
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    if (failure_ != 0) errno = failure_;
    return failure_ == 0;
  }

 protected:
  int_type overflow(int_type c) override {
    if (!Drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }

  std::streamsize xsputn(const char* data, std::streamsize count) override {
    const auto size = static_cast<std::size_t>(count);
    if (size <= static_cast<std::size_t>(epptr() - pptr())) {
      std::memcpy(pptr(), data, size);
      pbump(static_cast<int>(size));
      return count;
    }
    if (!Drain()) return 0;
    if (size >= buffer_.size()) {
      failure_ = sink_.Write(data, size);
      if (failure_ != 0) errno = failure_;
      return failure_ == 0 ? count : 0;
    }
    std::memcpy(pptr(), data, size);
    pbump(static_cast<int>(size));
    return count;
  }

  int sync() override { return Drain() ? 0 : -1; }

 private:
  FileSink& sink_;
  std::vector<char> buffer_;
  int failure_ = 0;
};

}  // namespace

class OutputFile::Impl {
 public:
  explicit Impl(const std::string& utf8Path) : name_(utf8Path), target_(Examine(utf8Path)) {
    if (target_.folder) {
      throw OutputFileError(i18n::Fill(i18n::Tr("cannot write %s: it is a folder"), {name_}));
    }
    if (target_.exists && !target_.regular) {
      if (const int error = sink_.OpenExisting(target_.path))
        Fail(i18n::Tr("cannot open %s: %s"), error);
      direct_ = true;
      return;
    }
    CreateTemporary();
  }

  ~Impl() {
    if (!committed_) Abandon();
    Settle();
  }

  std::ostream& Stream() noexcept { return stream_; }

  void Prepare() {
    if (prepared_ || committed_) return;
    if (!buffer_.Drain()) Fail(i18n::Tr("cannot write %s: %s"), buffer_.Failure());
    if (const int error = sink_.CloseKeeping()) Fail(i18n::Tr("cannot write %s: %s"), error);
    prepared_ = true;
  }

  void Commit() {
    Replace(false);
    Settle();
  }

  // Puts the file in place, keeping the old one aside where `restorable`.
  void Replace(bool restorable) {
    if (committed_) return;
    Prepare();
    if (!direct_) {
      const SignalBlock block;
      if (restorable && target_.exists) KeepOld();
      if (const int error = sink_.ReplaceWith(target_.path)) {
        Settle();
        Fail(i18n::Tr("cannot replace %s: %s"), error);
      }
      signals_->Forget();
      replaced_ = true;
    }
    committed_ = true;
  }

  std::string Restore() noexcept {
    if (!replaced_) return {};
    const int error = old_.empty() ? RemoveFile(target_.path) : RenameOver(old_, target_.path);
    if (error == 0) {
      old_.clear();
      replaced_ = false;
      return {};
    }
    if (old_.empty()) {
      return i18n::Fill(i18n::Tr("new (it did not exist before: %s)"), {Reason(error)});
    }
    std::string state =
        i18n::Fill(i18n::Tr("new, its old content kept as %s (%s)"), {old_, Reason(error)});
    old_.clear();  // kept for the user
    return state;
  }

  void Settle() noexcept {
    if (!old_.empty()) RemoveFile(old_);
    old_.clear();
  }

  const std::string& Name() const noexcept { return name_; }

 private:
  void CreateTemporary() {
    const std::string prefix = FolderPrefix(target_.path);
    const SignalBlock block;
    for (int attempt = 0;; ++attempt) {
      temporary_ = prefix + TemporaryName();
      const int error = sink_.CreateNew(temporary_);
      if (error == 0) break;
      if (error != EEXIST || attempt == kNameAttempts) {
        throw OutputFileError(
            i18n::Fill(i18n::Tr("cannot write %s: cannot create a file in %s: %s"),
                       {name_, FolderName(target_.path), Reason(error)}));
      }
    }
    signals_ = std::make_unique<SignalGuard>(temporary_);
    if (target_.mode >= 0) {
      if (const int error = sink_.SetMode(target_.mode)) {
        Fail(i18n::Tr("cannot write %s: %s"), error);
      }
    }
  }

  void KeepOld() {
    const std::string prefix = FolderPrefix(target_.path);
    for (int attempt = 0;; ++attempt) {
      old_ = prefix + TemporaryName();
      const int error = KeepAside(target_.path, old_);
      if (error == 0) return;
      old_.clear();
      if (error != EEXIST || attempt == kNameAttempts)
        Fail(i18n::Tr("cannot keep the old %s: %s"), error);
    }
  }

  void Abandon() noexcept {
    if (direct_) return;
    const SignalBlock block;
    sink_.Remove();
    if (signals_) signals_->Forget();
  }

  // Throws `message`, given the file's name and the system's reason.
  [[noreturn]] void Fail(std::string_view message, int error) {
    Abandon();
    committed_ = true;  // nothing more to undo
    throw OutputFileError(i18n::Fill(message, {name_, Reason(error)}));
  }

  std::string name_;
  Target target_;
  FileSink sink_;
  SinkBuffer buffer_{sink_};
  std::ostream stream_{&buffer_};
  std::string temporary_;
  std::unique_ptr<SignalGuard> signals_;
  bool direct_ = false;
  std::string old_;  // FILE's old content, kept aside until Settle
  bool prepared_ = false;
  bool committed_ = false;
  bool replaced_ = false;
};

std::string SystemReason(int error) {
  // TRANSLATORS: the system's reason, after what failed: "cannot open: ...".
  return error == 0 ? std::string() : i18n::Fill(i18n::Tr(": %s"), {Reason(error)});
}

OutputFile::OutputFile(const std::string& utf8Path) : impl_(std::make_unique<Impl>(utf8Path)) {}

OutputFile::~OutputFile() = default;

std::ostream& OutputFile::Stream() noexcept { return impl_->Stream(); }

void OutputFile::Prepare() { impl_->Prepare(); }

void OutputFile::Commit() { impl_->Commit(); }

void OutputFile::Replace() { impl_->Replace(true); }

std::string OutputFile::Restore() noexcept { return impl_->Restore(); }

void OutputFile::Settle() noexcept { impl_->Settle(); }

const std::string& OutputFile::Name() const noexcept { return impl_->Name(); }

void CommitTogether(std::span<ReplaceableOutput* const> outputs) {
  for (ReplaceableOutput* output : outputs) output->Prepare();
  std::size_t replaced = 0;
  try {
    for (; replaced < outputs.size(); ++replaced) outputs[replaced]->Replace();
  } catch (const std::exception& failure) {
    std::string states;
    bool allRestored = true;
    for (std::size_t at = 0; at < outputs.size(); ++at) {
      const std::string state = at < replaced ? outputs[at]->Restore() : std::string();
      allRestored &= state.empty();
      // TRANSLATORS: a file and what became of it: "new (...)".
      const std::string left = state.empty()
                                   ? i18n::Fill(i18n::Tr("%s as it was"), {outputs[at]->Name()})
                                   : i18n::Fill(i18n::Tr("%s %s"), {outputs[at]->Name(), state});
      states = at == 0 ? left : i18n::Fill(i18n::Tr("%s; %s"), {states, left});
    }
    for (ReplaceableOutput* output : outputs) output->Settle();
    if (allRestored) throw;
    throw OutputFileError(i18n::Fill(i18n::Tr("%s; left %s"), {failure.what(), states}));
  }
  for (ReplaceableOutput* output : outputs) output->Settle();
}

}  // namespace gbkhex::platform
