#pragma once

// Child-window ids of Form1's controls. They are part of the window's outside
// contract: tests and accessibility tools find the controls by them.

#include <cstddef>

#include "window/model/form_layout.h"

namespace gbkhex::win32 {

// Above IDOK, IDCANCEL and their kin, which the dialog manager sends on Enter
// and Escape.
inline constexpr int kFirstControlId = 1000;

// The id of the control at `index` in the table (layout::kText1, ...).
constexpr int ControlId(std::size_t index) {
  return kFirstControlId + layout::kControls[index].tabIndex;
}

}  // namespace gbkhex::win32
