// A file of the system layer that declares a function of boot registration by hand and calls
// it: the system layer linked on its own must leave that symbol open, and the build must refuse
// it.
class MSInfo;
int SysRegVXSvc(MSInfo& instance);

int ProbeUpwardCall(MSInfo& instance) {
    return SysRegVXSvc(instance);
}
