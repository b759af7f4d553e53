#pragma once

#include <cstddef>
#include <memory>
#include <string>

// The system's side of a file written whole beside FILE and then put in its
// place: POSIX in posix/, Windows in win32/. Every failure comes back as an
// errno value, so that messages read alike on every system.
namespace gbkhex::platform {

// What FILE is, as Examine finds it.
struct Target {
  std::string path;  // where the output goes: a symbolic link's target
  bool exists = false;
  bool regular = true;
  bool folder = false;
  int mode = -1;  // the permissions to keep (POSIX), or -1
};

Target Examine(const std::string& path);

// Another name for the file `from`: a hard link, or a copy where the file
// system has none. 0, or the errno of the failure; EEXIST when `to` is taken.
int KeepAside(const std::string& from, const std::string& to);

// Renames `from` over `to`, replacing it; 0 or the errno of the failure.
int RenameOver(const std::string& from, const std::string& to);

// 0 or the errno of the failure.
int RemoveFile(const std::string& path);

// Holds off the fatal signals (SIGINT, SIGTERM, SIGHUP) while it lives, where
// the system has them.
class SignalBlock {
 public:
  SignalBlock();
  SignalBlock(const SignalBlock&) = delete;
  SignalBlock& operator=(const SignalBlock&) = delete;
  ~SignalBlock();

 private:
  struct Saved;
  std::unique_ptr<Saved> saved_;
};

// Has a fatal signal remove the temporary file at `path` while it is
// registered. One file at a time: a second one, while the first is
// registered, is not. Where the system deletes the file itself when the
// process ends (Windows, see FileSink), it does nothing.
class SignalGuard {
 public:
  // Call with the fatal signals blocked, right after the file was made.
  explicit SignalGuard(const std::string& path);
  SignalGuard(const SignalGuard&) = delete;
  SignalGuard& operator=(const SignalGuard&) = delete;
  ~SignalGuard();

  // Call with the fatal signals blocked, once the file is gone or renamed.
  void Forget();

 private:
  struct Registration;
  std::unique_ptr<Registration> registration_;
};

// A new file, written and closed, or an existing one (a device) written
// directly. On Windows the system deletes a new file when its handle closes,
// unless CloseKeeping() closes it: whatever ends the process first takes it.
// Each call returns 0 or the errno of the failure.
class FileSink {
 public:
  FileSink();
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;
  ~FileSink();

  // EEXIST when the name is taken. The mode is what creating any file gives;
  // the umask takes its share.
  int CreateNew(const std::string& path);
  int OpenExisting(const std::string& path);
  // The permissions of a POSIX file (nothing elsewhere).
  int SetMode(int mode);
  int Write(const char* data, std::size_t size);
  // Closes the file, keeping it (a network file system may report a full disk
  // only here).
  int CloseKeeping();
  int ReplaceWith(const std::string& target);
  void Remove();

 private:
  struct Handle;
  std::unique_ptr<Handle> handle_;
};

}  // namespace gbkhex::platform
