// The payment server of an instance: started as the product program "server" in a login
// shell of the database owner, probed by its identification request and stopped by its
// shut-down request, both through the payment client on the instance's payment ports.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include "daemons/adminhttp.h"
#include "payvane/payvaneapi.h"
#include "sys/process/svcproc.h"
#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"
#include "vxconfig/msinfo.h"
#include "vxconfig/outcome.h"
#include "vxconfig/portplan.h"
#include "vxconfig/svcctl.h"
#include "vxconfig/sysutil.h"

namespace {

// A payment server that accepts and stays silent must not hold a probe long (it runs up to
// 180 times in a wait); VXCONFIG_ADMIN_TIMEOUT_MS shortens it further for tests.
constexpr int kProbeTimeoutMs = 10 * 1000;
constexpr int kMillisPerSecond = 1000;
constexpr int kCommandSize = 4096;
const char kStartFormat[] = "su - %s -c \"%s\" > /dev/null 2<&1 & ";
// The payment server's own service: the first of the instance's "pe" pool.
const char kServerTag[] = "pe";
const char kServerProgram[] = "server";
constexpr mode_t kAnyExecute = S_IXUSR | S_IXGRP | S_IXOTH;

// A session on the instance's payment server with a bounded time-out, closed with the
// object. Null when it could not be opened.
class PaymentSession {
public:
    explicit PaymentSession(MSInfo& instance) {
        int rc = 0;
        VXPortPlan plan(instance);
        m_session = pvInitializeAPI(PV_MODE_SYNC, instance.PVHost, plan.Pay(VXPortPlan::kPayPay),
                                    plan.Pay(VXPortPlan::kPayAdmin), &rc);
        if (!m_session)
            return;
        int millis = platform::AdminTimeoutMs(kProbeTimeoutMs);
        int seconds = (millis + kMillisPerSecond - 1) / kMillisPerSecond;
        pvSetTimeout(m_session, seconds < 1 ? 1 : seconds, &rc);
    }
    ~PaymentSession() {
        if (m_session)
            pvCloseAPI(&m_session);
    }
    PaymentSession(const PaymentSession&) = delete;
    PaymentSession& operator=(const PaymentSession&) = delete;
    PaymentServerSession* Get() const { return m_session; }

private:
    PaymentServerSession* m_session = nullptr;
};

} // namespace

int SysIsPSSvcActive(MSInfo& instance) {
    PaymentSession session(instance);
    if (!session.Get())
        return 0;
    int rc = 0;
    ProtocolData about = {nullptr, 0};
    if (pvAbout(session.Get(), &rc, &about) != PV_RESULT_OK)
        return 0;
    free(about.data);
    return 1;
}

int SysStartPSSvc(MSInfo& instance) {
    ICString what = ICString("payment server of instance ") + instance.Name;
    if (SysIsPSSvcActive(instance)) {
        VXStepDone("start", what);
        return 1;
    }
    ICString inst;
    ICGetInstPath(inst);
    if (!platform::SvcCheckName(instance.DBOwner, "database owner") ||
        !platform::SvcCheckPath(inst, "installation directory") ||
        !platform::SvcCheckPath(instance.HtmlPath, "configuration directory") ||
        !platform::SvcCheckName(instance.Name, "instance name")) {
        VXStepFailed("start", what);
        return 0;
    }
    // Without a host the payment client could never see the server come up.
    if (instance.PVHost.IsEmpty()) {
        SysSetLastReason("instance %s names no payment server host (PAYVANE_HOSTNAME) to reach "
                         "its payment server at",
                         static_cast<const char*>(instance.Name));
        VXStepFailed("start", what);
        return 0;
    }
    // A shell would only say "not found" into /dev/null; the program is named here instead.
    ICString binary = (inst ^ "bin") ^ kServerProgram;
    struct stat st;
    if (SysStat(binary, &st) != 0 || !S_ISREG(st.st_mode) || (st.st_mode & kAnyExecute) == 0) {
        int error = errno;
        if (SysStat(binary, &st) == 0)
            SysSetLastReason("the payment server program %s is not an executable file",
                             static_cast<const char*>(binary));
        else
            SysSetLastReason("the payment server program %s is missing: %s",
                             static_cast<const char*>(binary), strerror(error));
        VXStepFailed("start", what);
        return 0;
    }
    ICString prefix, server;
    GetVXServicePfx(ICString(instance.Name) + "_" + kServerTag, prefix);
    GetPoolServiceName(prefix, 0, server);
    // The join adds its own "/" before the file name's, as the product has always done.
    ICString program = (inst ^ "bin") ^ (ICString(kServerProgram) + " -i " + instance.HtmlPath);
    ICString command = program ^ (ICString("/") + "pay_payvane.conf" + " -s " + server);
    char line[kCommandSize];
    if (snprintf(line, sizeof line, kStartFormat, static_cast<const char*>(instance.DBOwner),
                 static_cast<const char*>(command)) >= kCommandSize) {
        SysSetLastReason("the start command of the payment server is longer than %d characters",
                         kCommandSize - 1);
        VXStepFailed("start", what);
        return 0;
    }
    platform::SvcRunShell(line);
    for (int check = 0; check < platform::SVC_POLL_COUNT; ++check) {
        if (SysIsPSSvcActive(instance)) {
            VXStepDone("start", what);
            return 1;
        }
        SysSleep(platform::SVC_POLL_SECONDS);
    }
    SysSetLastReason("the payment server did not answer on port %d within %d seconds",
                     VXPortPlan(instance).Pay(VXPortPlan::kPayAdmin),
                     platform::SVC_POLL_COUNT * platform::SVC_POLL_SECONDS);
    VXStepFailed("start", what);
    return 0;
}

int SysStopPSSvc(MSInfo& instance) {
    if (!SysIsPSSvcActive(instance))
        return 1;
    {
        PaymentSession session(instance);
        int rc = 0;
        if (session.Get())
            pvShutdownTill(session.Get(), &rc);
    }
    ICString what = ICString("payment server of instance ") + instance.Name;
    for (int left = platform::SVC_POLL_COUNT; SysIsPSSvcActive(instance); --left) {
        if (left == 0) {
            SysSetLastReason("the payment server still answers after its shut-down request");
            VXStepFailed("stop", what);
            return 0;
        }
        SysSleep(platform::SVC_POLL_SECONDS);
    }
    VXStepDone("stop", what);
    return 1;
}

int ICStartPSSvc(MSInfo& instance) {
    if (SysIsPSSvcActive(instance)) {
        ICUpdateStatus(IC_MSG_PAYMENT_ACTIVE, instance.Name);
        return 1;
    }
    int started = SysStartPSSvc(instance);
    ICUpdateStatus(started ? IC_MSG_PAYMENT_STARTED : IC_MSG_PAYMENT_NOT_STARTED, instance.Name);
    return started;
}

int ICStopPSSvc(MSInfo& instance) {
    if (!SysIsPSSvcActive(instance)) {
        ICUpdateStatus(IC_MSG_PAYMENT_INACTIVE, instance.Name);
        return 1;
    }
    int stopped = SysStopPSSvc(instance);
    ICUpdateStatus(stopped ? IC_MSG_PAYMENT_STOPPED : IC_MSG_PAYMENT_NOT_STOPPED, instance.Name);
    return stopped;
}

int ICIsPSSvcActive(MSInfo& instance) {
    return SysIsPSSvcActive(instance);
}
