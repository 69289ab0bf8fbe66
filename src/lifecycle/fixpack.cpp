// The fix pack that adds the message-queue bridge daemon to an existing instance: its file,
// its TCP service, its place in the controller's pool and its client or server library.
#include <cstdlib>
#include <cstring>

#include "vxconfig/discovery.h"
#include "vxconfig/environment.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"
#include "vxconfig/portplan.h"
#include "vxconfig/safevalue.h"
#include "vxconfig/services.h"
#include "vxconfig/sysutil.h"
#include "vxconfig/writers.h"
#include "writers/instancevalues.h"

namespace {

// Positions of the fix pack's argument vector that these steps read.
enum { kArgPort = 2, kArgKind = 9, kArgsNeeded = 10 };
const char kClientKind[] = "client";

// The vector must hold every position read, each a single line: the queue names are written
// into the bridge's file as they are.
bool ArgumentsUsable(char** args, int count) {
    if (!args || count < kArgsNeeded)
        return false;
    for (int i = kArgPort; i < kArgsNeeded; ++i) {
        if (!args[i] || strpbrk(args[i], "\r\n"))
            return false;
    }
    return true;
}

} // namespace

int ICCreateFixpackQXInit(MSInfo& info, char** args, int count) {
    ICString dir;
    if (!SysGetInstPath(dir, 3)) {
        ICShowError(IC_MSG_NO_INSTALL_PARAMETERS);
        return 0;
    }
    if (!ArgumentsUsable(args, count)) {
        SysSetLastReason("the fix pack needs %d arguments, each a single line", kArgsNeeded);
        return 0;
    }
    CreateQXInit(info, dir, args);
    ICString service;
    GetPoolServiceName(writers::ServicePrefix(info, "ece"), 0, service);
    ICRegTcpService(service, atoi(args[kArgPort]), "ECE service");
    ICAddEntryToPoolID(info, "vxei_ece");
    ICString bin = dir ^ "bin";
    if (strcmp(args[kArgKind], kClientKind) != 0) {
        SysCopyFileBin(bin ^ "libvx3_ececommons.so", bin ^ "libvx3_ececommon.so");
    } else {
        SysCopyFileBin(bin ^ "libvx3_ececommonc.so", bin ^ "libvx3_ececommon.so");
        SysSetEnvQXSERVER(info, args, count);
    }
    return 1;
}
