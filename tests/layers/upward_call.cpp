// A file of the system layer that calls into boot registration through the public header: the
// system layer linked on its own must leave that symbol open, and the build must refuse it.
#include "vxconfig/bootreg.h"
#include "vxconfig/msinfo.h"

int ProbeUpwardCall() {
    MSInfo instance;
    return SysRegVXSvc(instance);
}
