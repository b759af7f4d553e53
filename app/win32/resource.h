// Resource ids shared by gbkhex.rc and the program's start.
#ifndef GBKHEX_RESOURCE_H
#define GBKHEX_RESOURCE_H

#define IDI_GBKHEX 1

#endif
