#pragma once

#include <windows.h>

namespace gbkhex::win32 {

class OutputBox;

// The answer to WM_GETOBJECT for the box's client area: an editable text
// object with the box's text as its value, for screen readers.
LRESULT AccessibleObjectFor(OutputBox& box, WPARAM flags);

}  // namespace gbkhex::win32
