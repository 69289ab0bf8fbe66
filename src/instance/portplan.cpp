// The ports of an instance and the names of its TCP services.
#include "vxconfig/portplan.h"

#include <string>

#include "vxconfig/msinfo.h"

VXPortPlan::VXPortPlan(const MSInfo& info) : m_base(info.MSPort), m_procs(info.MSProc) {}

int GetVXServicePfx(const char* name, ICString& out) {
    out = ICString("vx") + (name ? name : "");
    return 1;
}

int GetPoolServiceName(const char* prefix, int index, ICString& out) {
    out = ICString(prefix) + "_" + std::to_string(index + 1).c_str();
    return 1;
}
