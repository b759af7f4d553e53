#pragma once

// Resource ids shared by gbkhex.rc and the program's start.
#define IDI_GBKHEX 1
