// A file of the system layer that reaches for a private header of the daemon layer: the build
// must refuse it.
#include "daemons/adminhttp.h"
