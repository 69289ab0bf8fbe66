// Shell commands, run as the calling user or through "su -" as another user.
#include <string>

#include "sys/envnumber.h"
#include "sys/process/spawn.h"
#include "vxconfig/safevalue.h"
#include "vxconfig/sysutil.h"

namespace {

// The longest a command may take: VXCONFIG_COMMAND_SECONDS, else an hour. Database scripts
// take minutes; one that hangs must not hold the caller for ever.
const char kCommandSecondsVariable[] = "VXCONFIG_COMMAND_SECONDS";
constexpr long kDefaultCommandSeconds = 3600;
constexpr long kMaxCommandSeconds = 24 * 3600;

int CommandSeconds() {
    return static_cast<int>(platform::EnvNumber(kCommandSecondsVariable, kDefaultCommandSeconds, 1,
                                                kMaxCommandSeconds));
}

} // namespace

int SysExecCmd(const char* command, const char* directory, const char* user) {
    // The directory and the user stand in the command text or its arguments as they are; a
    // value that is not safe there never runs.
    if (!command || !SysIsSafeValue(directory, SYS_VALUE_PATH) ||
        (user && (!*user || !SysIsSafeValue(user, SYS_VALUE_NAME))))
        return 0;
    platform::SpawnRequest request;
    request.directory = directory ? directory : "";
    request.deadlineSeconds = CommandSeconds();
    if (!user) {
        // As the calling user: its exit status counts.
        request.shell = command;
        return platform::RunSpawn(request).Succeeded();
    }
    // As another user, in a login shell of that user: only the wait is judged, callers check
    // the files the command leaves.
    request.user = user;
    request.shell = std::string(command) + " > /dev/null";
    platform::SpawnEnd end = platform::RunSpawn(request).end;
    return end == platform::SpawnEnd::NotStarted || end == platform::SpawnEnd::TimedOut ? 0 : 1;
}

int ICExecCmd(const char* command, const char* directory) {
    return SysExecCmd(command, directory, nullptr);
}
