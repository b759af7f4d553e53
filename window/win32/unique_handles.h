#pragma once

// Owners for the Win32 handles that Form1 and its program create, so that each
// is released exactly once whatever path ends its use.

#include <windows.h>

#include <memory>
#include <type_traits>

namespace gbkhex::win32 {

struct WindowDestroyer {
  void operator()(HWND window) const noexcept { DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const noexcept { DeleteObject(object); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;

struct DeviceContextDeleter {
  void operator()(HDC dc) const noexcept { DeleteDC(dc); }
};
using UniqueDeviceContext = std::unique_ptr<std::remove_pointer_t<HDC>, DeviceContextDeleter>;

struct MenuDestroyer {
  void operator()(HMENU menu) const noexcept { DestroyMenu(menu); }
};
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroyer>;

struct HandleCloser {
  void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

}  // namespace gbkhex::win32
