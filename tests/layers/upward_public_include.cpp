// A file of the system layer that reaches for the public header of boot registration: the build
// must refuse it.
#include "vxconfig/bootreg.h"
