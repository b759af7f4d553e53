#ifndef GBKHEX_HARNESS_WIN32_GBKHEX_PROCESS_H
#define GBKHEX_HARNESS_WIN32_GBKHEX_PROCESS_H

// gbkhex.exe started and driven from another process, as the user drives it:
// what the Windows tests and benchmarks share.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

#include "platform/win32/unique_handles.h"
#include "window/win32/control_ids.h"

namespace gbkhex::win32::drive {

inline bool WaitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

inline std::wstring ExeBesideThisProgram(std::wstring_view name) {
  std::wstring path(MAX_PATH, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), MAX_PATH);
  path.resize(length);
  path.erase(path.find_last_of(L"\\/") + 1);
  return path.append(name);
}

// The text of a control in another process: GetWindowText would read only the
// caption that the system keeps, not what an edit control holds.
inline std::wstring TextOf(HWND control) {
  const auto length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const auto copied =
      SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

// Typing goes through the edit control's own editing, which, unlike
// WM_SETTEXT, sends EN_CHANGE from a multi-line edit.
inline void ReplaceAll(HWND edit, std::wstring_view text) {
  const std::wstring copy(text);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(copy.c_str()));
}

inline void Append(HWND edit, std::wstring_view text) {
  const std::wstring copy(text);
  const auto end = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
  SendMessageW(edit, EM_SETSEL, end, end);
  SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(copy.c_str()));
}

class Gbkhex {
 public:
  bool Start(const std::wstring& exe) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
      std::printf("cannot start gbkhex.exe (error %lu)\n", GetLastError());
      return false;
    }
    process_.reset(info.hProcess);
    const UniqueHandle thread(info.hThread);
    processId_ = info.dwProcessId;
    WaitForInputIdle(process_.get(), 10000);
    if (!WaitFor([this] { return (form_ = FindForm()) != nullptr; }, std::chrono::seconds(10))) {
      std::printf("gbkhex.exe showed no window\n");
      return false;
    }
    threadId_ = GetWindowThreadProcessId(form_, nullptr);
    return true;
  }

  // Ends the program as the user does, by closing its window.
  bool Close(DWORD& exitCode) {
    PostMessageW(form_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.get(), 5000) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(process_.get(), &exitCode);
    process_.reset();
    return true;
  }

  // Leaves the program running after this driver ends.
  void Detach() { process_.reset(); }

  Gbkhex() = default;
  Gbkhex(const Gbkhex&) = delete;
  Gbkhex& operator=(const Gbkhex&) = delete;
  ~Gbkhex() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.get(), 1);
    }
  }

  HWND form() const { return form_; }
  // Null for a name that is not in the table.
  HWND Control(std::string_view name) const {
    const std::size_t index = layout::PositionOf(name);
    return index < layout::kControls.size() ? GetDlgItem(form_, ControlId(index)) : nullptr;
  }

  HWND Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(threadId_, &info) ? info.hwndFocus : nullptr;
  }

 private:
  HWND FindForm() const {
    struct Search {
      DWORD processId;
      HWND found;
    } search{processId_, nullptr};
    EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL {
          auto& s = *reinterpret_cast<Search*>(lParam);
          DWORD owner = 0;
          GetWindowThreadProcessId(window, &owner);
          if (owner != s.processId || !IsWindowVisible(window)) return TRUE;
          s.found = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  UniqueHandle process_;
  DWORD processId_ = 0;
  DWORD threadId_ = 0;
  HWND form_ = nullptr;
};

}  // namespace gbkhex::win32::drive

#endif
