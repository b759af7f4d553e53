#include "platform/output_files.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace gbkhex::platform {
namespace {

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

}  // namespace

// Blocks the fatal signals while it lives.
struct SignalBlock::Saved {
  Saved() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kFatalSignals) sigaddset(&set, signal);
    pthread_sigmask(SIG_BLOCK, &set, &previous_);
  }
  Saved(const Saved&) = delete;
  Saved& operator=(const Saved&) = delete;
  ~Saved() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

 private:
  sigset_t previous_;
};

// Has a fatal signal remove the temporary file while it is registered. One
// file at a time: a second one, while the first is registered, is not.
struct SignalGuard::Registration {
  // Call with the fatal signals blocked, right after the file was made.
  explicit Registration(const std::string& path) {
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
  Registration(const Registration&) = delete;
  Registration& operator=(const Registration&) = delete;
  ~Registration() { Forget(); }

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

struct FileSink::Handle {
  Handle() = default;
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { Close(); }

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

#include "platform/output_files_forwarding.inc"

}  // namespace gbkhex::platform
