// The instance data file: the persisted list of server instances, one text or number per line.
#ifndef VXCONFIG_DATAFILE_H
#define VXCONFIG_DATAFILE_H

#include <cstdio>

#include "vxconfig/export.h"

// Files are always written in this version; older ones are only read.
#define VX_DATAFILE_VERSION 769
// The older layout that carries one extra text line, read and discarded.
#define VX_DATAFILE_VERSION_EXTRA 258
// A stored text of this length or more does not read back.
#define VX_DATAFILE_MAX_TEXT 511

// One decimal number line; 1, or 0 when writing fails.
VX_API int StoreInt(int value, FILE* fp);
// One line read back with atoi; 1 when it ended with a newline, else value is 0 and 0.
VX_API int LoadInt(int& value, FILE* fp);

#endif
