#include "platform/output_files.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "platform/win32/wide_text.h"

namespace gbkhex::platform {
namespace {

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

}  // namespace

// A file that the system deletes when its handle closes, unless CloseKeeping()
// closes it: whatever ends the process before Commit takes the file with it.
struct FileSink::Handle {
  Handle() = default;
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { Close(); }

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

  // Windows files have no POSIX permissions to set.
  int SetMode(int) { return 0; }

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
struct SignalBlock::Saved {};

struct SignalGuard::Registration {
  explicit Registration(const std::string&) {}
  void Forget() {}
};

#include "platform/output_files_forwarding.inc"

}  // namespace gbkhex::platform
