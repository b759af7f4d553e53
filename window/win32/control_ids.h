#pragma once

// Child-window ids of Form1's controls. They are part of the window's outside
// contract: tests and accessibility tools find the controls by them.

#include <string_view>

#include "window/form_layout.h"

namespace gbkhex::win32 {

// Above IDOK, IDCANCEL and their kin, which the dialog manager sends on Enter
// and Escape.
inline constexpr int kFirstControlId = 1000;

constexpr int ControlId(std::string_view name) {
  return kFirstControlId + layout::ControlNamed(name).tabIndex;
}

}  // namespace gbkhex::win32
