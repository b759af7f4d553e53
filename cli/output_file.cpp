#include "cli/output_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <streambuf>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/wide_text.h"
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#endif

namespace gbkhex::cli {
namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr int kNameAttempts = 100;

std::string Reason(int error) { return std::generic_category().message(error); }

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

// What FILE is, as Examine finds it.
struct Target {
  std::string path;  // where the output goes: a symbolic link's target
  bool exists = false;
  bool regular = true;
  bool folder = false;
  int mode = -1;  // the permissions to keep (POSIX), or -1
};

#ifdef _WIN32

// The errno value that says what a Windows error says, so that every message
// reads alike on every system (Windows' own texts come in the console's code
// page, not in UTF-8).
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_NO_UNICODE_TRANSLATION:
      return EINVAL;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    default:
      return EIO;
  }
}

int LastError() { return ErrnoOf(GetLastError()); }

std::wstring Wide(const std::string& utf8) {
  return win32::WideFromUtf8(utf8).value_or(std::wstring());
}

// A file that the system deletes when its handle closes, unless CloseKeeping()
// closes it: whatever ends the process before Commit takes the file with it.
class Sink {
 public:
  Sink() = default;
  Sink(const Sink&) = delete;
  Sink& operator=(const Sink&) = delete;
  ~Sink() { Close(); }

  // 0, or the errno of the failure; EEXIST when the name is taken.
  int CreateNew(const std::string& utf8Path) {
    path_ = Wide(utf8Path);
    if (path_.empty()) return EINVAL;
    handle_ = CreateFileW(path_.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) return LastError();
    FILE_DISPOSITION_INFO disposition{TRUE};
    deleteOnClose_ = SetFileInformationByHandle(handle_, FileDispositionInfo, &disposition,
                                                sizeof disposition) != 0;
    return 0;
  }

  int OpenExisting(const std::string& utf8Path) {
    handle_ = CreateFileW(Wide(utf8Path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle_ == INVALID_HANDLE_VALUE ? LastError() : 0;
  }

  int Write(const char* data, std::size_t size) {
    while (size > 0) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
      DWORD written = 0;
      if (!WriteFile(handle_, data, chunk, &written, nullptr)) return LastError();
      data += written;
      size -= written;
    }
    return 0;
  }

  // Closes the file, keeping it; 0 or the errno of the failure.
  int CloseKeeping() {
    FILE_DISPOSITION_INFO disposition{FALSE};
    if (deleteOnClose_ && !SetFileInformationByHandle(handle_, FileDispositionInfo, &disposition,
                                                      sizeof disposition)) {
      return LastError();
    }
    deleteOnClose_ = false;
    const bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed ? 0 : LastError();
  }

  int ReplaceWith(const std::string& utf8Target) {
    const std::wstring target = Wide(utf8Target);
    return MoveFileExW(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : LastError();
  }

  void Remove() {
    Close();
    DeleteFileW(path_.c_str());
  }

 private:
  void Close() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

  std::wstring path_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool deleteOnClose_ = false;
};

// Another name for the file `from`: a hard link, or a copy where the file
// system has none. 0, or the errno of the failure; EEXIST when `to` is taken.
int KeepAside(const std::string& from, const std::string& to) {
  const std::wstring source = Wide(from);
  const std::wstring target = Wide(to);
  if (CreateHardLinkW(target.c_str(), source.c_str(), nullptr)) return 0;
  const int error = LastError();
  if (error == EEXIST) return EEXIST;
  return CopyFileW(source.c_str(), target.c_str(), TRUE) ? 0 : LastError();
}

int RenameOver(const std::string& from, const std::string& to) {
  return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) ? 0
                                                                                      : LastError();
}

int RemoveFile(const std::string& path) {
  return DeleteFileW(Wide(path).c_str()) ? 0 : LastError();
}

Target Examine(const std::string& path) {
  Target target{path};
  const std::wstring wide = Wide(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  target.exists = attributes != INVALID_FILE_ATTRIBUTES;
  target.folder = target.exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (target.folder) return target;
  // A device (NUL, CON) may have no attributes, but opens.
  const HANDLE file = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    target.exists = true;
    target.regular = GetFileType(file) == FILE_TYPE_DISK;
    CloseHandle(file);
  }
  return target;
}

// The system deletes the temporary file itself when the process ends (see
// Sink): no signal needs handling or holding off, so these do nothing.
class SignalBlock {
 public:
  SignalBlock() noexcept {}  // user-provided, so that an unused block draws no warning
};

class SignalGuard {
 public:
  explicit SignalGuard(const std::string&) {}
  void Forget() {}
};

#else  // POSIX

// The temporary file that a fatal signal must remove, in a form that a signal
// handler may read: written only while those signals are blocked.
std::array<char, PATH_MAX> gTemporaryPath{};
volatile sig_atomic_t gTemporaryRegistered = 0;
constexpr std::array kFatalSignals = {SIGINT, SIGTERM, SIGHUP};
std::array<struct sigaction, kFatalSignals.size()> gPreviousActions{};

extern "C" void RemoveTemporaryAndDie(int signal) {
  if (gTemporaryRegistered) unlink(gTemporaryPath.data());
  ::signal(signal, SIG_DFL);
  raise(signal);
}

// Blocks the fatal signals while it lives.
class SignalBlock {
 public:
  SignalBlock() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kFatalSignals) sigaddset(&set, signal);
    pthread_sigmask(SIG_BLOCK, &set, &previous_);
  }
  SignalBlock(const SignalBlock&) = delete;
  SignalBlock& operator=(const SignalBlock&) = delete;
  ~SignalBlock() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

 private:
  sigset_t previous_;
};

// Has a fatal signal remove the temporary file while it is registered. One
// file at a time: a second one, while the first is registered, is not.
class SignalGuard {
 public:
  // Call with the fatal signals blocked, right after the file was made.
  explicit SignalGuard(const std::string& path) {
    if (gTemporaryRegistered || path.size() >= gTemporaryPath.size()) return;
    std::memcpy(gTemporaryPath.data(), path.c_str(), path.size() + 1);
    gTemporaryRegistered = 1;
    registered_ = true;
    struct sigaction action {};
    action.sa_handler = RemoveTemporaryAndDie;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kFatalSignals.size(); ++i) {
      // A signal that the program ignores or handles itself stays so.
      sigaction(kFatalSignals[i], nullptr, &gPreviousActions[i]);
      installed_[i] = gPreviousActions[i].sa_handler == SIG_DFL &&
                      sigaction(kFatalSignals[i], &action, nullptr) == 0;
    }
  }
  SignalGuard(const SignalGuard&) = delete;
  SignalGuard& operator=(const SignalGuard&) = delete;
  ~SignalGuard() { Forget(); }

  // Call with the fatal signals blocked, once the file is gone or renamed.
  void Forget() {
    if (!registered_) return;
    for (std::size_t i = 0; i < kFatalSignals.size(); ++i) {
      if (installed_[i]) sigaction(kFatalSignals[i], &gPreviousActions[i], nullptr);
    }
    gTemporaryRegistered = 0;
    registered_ = false;
  }

 private:
  bool registered_ = false;
  std::array<bool, kFatalSignals.size()> installed_{};
};

class Sink {
 public:
  Sink() = default;
  Sink(const Sink&) = delete;
  Sink& operator=(const Sink&) = delete;
  ~Sink() { Close(); }

  // 0, or the errno of the failure; EEXIST when the name is taken. The mode
  // is what creating any file gives; the umask takes its share.
  int CreateNew(const std::string& path) {
    fd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0) return errno;
    path_ = path;
    return 0;
  }

  int OpenExisting(const std::string& path) {
    fd_ = open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    return fd_ < 0 ? errno : 0;
  }

  int SetMode(int mode) { return fchmod(fd_, static_cast<mode_t>(mode)) == 0 ? 0 : errno; }

  int Write(const char* data, std::size_t size) {
    while (size > 0) {
      const ssize_t written = write(fd_, data, size);
      if (written < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      data += written;
      size -= static_cast<std::size_t>(written);
    }
    return 0;
  }

  // Closes the file, keeping it; 0 or the errno of the failure (a network
  // file system may report a full disk only here).
  int CloseKeeping() {
    const int result = close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

  int ReplaceWith(const std::string& target) {
    return rename(path_.c_str(), target.c_str()) == 0 ? 0 : errno;
  }

  void Remove() {
    Close();
    if (!path_.empty()) unlink(path_.c_str());
  }

 private:
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

  int fd_ = -1;
  std::string path_;
};

// Another name for the file `from`: a hard link, or a copy where the file
// system has none. 0, or the errno of the failure; EEXIST when `to` is taken.
int KeepAside(const std::string& from, const std::string& to) {
  if (link(from.c_str(), to.c_str()) == 0) return 0;
  if (errno == EEXIST) return EEXIST;
  std::error_code error;
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::none, error);
  return error ? error.value() : 0;
}

int RenameOver(const std::string& from, const std::string& to) {
  return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0 ? 0 : errno; }

Target Examine(const std::string& path) {
  Target target{path};
  struct stat status {};
  if (lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
    // What '>' would write through to; a dangling link is replaced itself.
    std::array<char, PATH_MAX> resolved{};
    if (realpath(path.c_str(), resolved.data()) != nullptr) target.path = resolved.data();
  }
  if (stat(target.path.c_str(), &status) == 0) {
    target.exists = true;
    target.folder = S_ISDIR(status.st_mode);
    target.regular = S_ISREG(status.st_mode);
    target.mode = static_cast<int>(status.st_mode & 0777);
  }
  return target;
}

#endif

// Buffers the output and hands it to the sink in large writes. A failure is
// kept (and left in errno) and fails every later write.
class SinkBuffer : public std::streambuf {
 public:
  explicit SinkBuffer(Sink& sink) : sink_(sink), buffer_(kBufferSize) {
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
  Sink& sink_;
  std::vector<char> buffer_;
  int failure_ = 0;
};

}  // namespace

std::string FolderPrefix(const std::string& path) {
#ifdef _WIN32
  const std::size_t separator = path.find_last_of("/\\:");
#else
  const std::size_t separator = path.rfind('/');
#endif
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

class OutputFile::Impl {
 public:
  explicit Impl(const std::string& utf8Path) : name_(utf8Path), target_(Examine(utf8Path)) {
    if (target_.folder) throw OutputFileError("cannot write " + name_ + ": it is a folder");
    if (target_.exists && !target_.regular) {
      if (const int error = sink_.OpenExisting(target_.path)) Fail("cannot open", error);
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
    if (!buffer_.Drain()) Fail("cannot write", buffer_.Failure());
    if (const int error = sink_.CloseKeeping()) Fail("cannot write", error);
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
        Fail("cannot replace", error);
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
    if (old_.empty()) return "new (it did not exist before: " + Reason(error) + ")";
    std::string state = "new, its old content kept as " + old_ + " (" + Reason(error) + ")";
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
        throw OutputFileError("cannot write " + name_ + ": cannot create a file in " +
                              FolderName(target_.path) + ": " + Reason(error));
      }
    }
    signals_ = std::make_unique<SignalGuard>(temporary_);
#ifndef _WIN32
    if (target_.mode >= 0) {
      if (const int error = sink_.SetMode(target_.mode)) Fail("cannot write", error);
    }
#endif
  }

  void KeepOld() {
    const std::string prefix = FolderPrefix(target_.path);
    for (int attempt = 0;; ++attempt) {
      old_ = prefix + TemporaryName();
      const int error = KeepAside(target_.path, old_);
      if (error == 0) return;
      old_.clear();
      if (error != EEXIST || attempt == kNameAttempts) Fail("cannot keep the old", error);
    }
  }

  void Abandon() noexcept {
    if (direct_) return;
    const SignalBlock block;
    sink_.Remove();
    if (signals_) signals_->Forget();
  }

  [[noreturn]] void Fail(const std::string& what, int error) {
    Abandon();
    committed_ = true;  // nothing more to undo
    throw OutputFileError(what + " " + name_ + ": " + Reason(error));
  }

  std::string name_;
  Target target_;
  Sink sink_;
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
      states +=
          (at == 0 ? "" : "; ") + outputs[at]->Name() + " " + (state.empty() ? "as it was" : state);
    }
    for (ReplaceableOutput* output : outputs) output->Settle();
    if (allRestored) throw;
    throw OutputFileError(std::string(failure.what()) + "; left " + states);
  }
  for (ReplaceableOutput* output : outputs) output->Settle();
}

namespace {

std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// The path made absolute and normalised, with the links of its existing part
// followed; as given where the system cannot say.
std::filesystem::path Resolved(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return path.lexically_normal();
  std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, error);
  return error ? absolute.lexically_normal() : resolved;
}

}  // namespace

bool NameOneFile(const std::string& a, const std::string& b) {
  const std::filesystem::path first = PathOf(a);
  const std::filesystem::path second = PathOf(b);
  std::error_code error;
  if (std::filesystem::equivalent(first, second, error) && !error) return true;
  return Resolved(first) == Resolved(second);
}

std::string IncludedName(const std::string& headerPath, const std::string& sourcePath) {
  const std::string headerFolder = FolderPrefix(headerPath);
  const std::string sourceFolder = FolderPrefix(sourcePath);
  const auto folderOf = [](const std::string& folder) {
    return Resolved(PathOf(folder.empty() ? "." : folder));
  };
  if (headerFolder == sourceFolder || folderOf(headerFolder) == folderOf(sourceFolder)) {
    return headerPath.substr(headerFolder.size());
  }
  std::string name = headerPath;
#ifdef _WIN32
  std::replace(name.begin(), name.end(), '\\', '/');
#endif
  return name;
}

}  // namespace gbkhex::cli
