#pragma once

#include <windows.h>

#include "platform/win32/unique_handles.h"

namespace gbkhex::win32 {

// The typeface of Text1 and Text2 at `dpi`; null if Windows refuses it.
UniqueFont CreateTextBoxFont(UINT dpi);

}  // namespace gbkhex::win32
