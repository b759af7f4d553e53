#pragma once

// Owners for the Win32 handles that our programs create, so that each is
// released exactly once whatever path ends its use.

#include <windows.h>

#include <memory>
#include <type_traits>

namespace gbkhex::win32 {

// Releases a handle with `kRelease`, the function that Windows pairs with the
// one that made it.
template <auto kRelease>
struct HandleReleaser {
  template <class Handle>
  void operator()(Handle handle) const noexcept {
    kRelease(handle);
  }
};
template <class Handle, auto kRelease>
using UniqueOwner = std::unique_ptr<std::remove_pointer_t<Handle>, HandleReleaser<kRelease>>;

using UniqueWindow = UniqueOwner<HWND, &DestroyWindow>;
using UniqueFont = UniqueOwner<HFONT, &DeleteObject>;
using UniqueDeviceContext = UniqueOwner<HDC, &DeleteDC>;
using UniqueMenu = UniqueOwner<HMENU, &DestroyMenu>;
using UniqueHandle = UniqueOwner<HANDLE, &CloseHandle>;

}  // namespace gbkhex::win32
