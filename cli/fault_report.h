#pragma once

// The fault report lives in text/, where the page reaches it too; the file
// code still includes it by this name.
#include "text/fault_report.h"
