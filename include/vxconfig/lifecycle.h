// The instances' lifecycle: creation of every instance of the data file (files, TCP services,
// boot entries, payment server scripts), deletion of one instance, migration of the instances
// of an earlier release, and the payment server's scripts.
#ifndef VXCONFIG_LIFECYCLE_H
#define VXCONFIG_LIFECYCLE_H

#include <vector>

#include "vxconfig/changes.h"
#include "vxconfig/msinfo.h"
#include "vxconfig/mslist.h"

// Creates every instance of the data file (a missing file is an empty list). Returns 1.
extern "C" VX_API int ICCreateInstance(const char* dataFile);
// Creates one instance: stops a running server of it, writes its controller configuration,
// registers its TCP services and boot entries, writes all its configuration files and the
// payment server scripts. 0 when the web macro product, the installation or its config.js is
// missing, or when its port plan is refused (messages 87 and 19, the reason naming the port,
// the service that holds it and the instance; nothing done); otherwise 1, with message 54 when
// every counted step succeeded (in a check run a status that it would be created), else 19.
// Every step, counted or not, is noted in the outcome under the instance's name: the result
// does not tell whether a configuration file failed, the outcome does.
VX_API int ICCreateSingleInst(MSInfo& info);
// Takes one instance off the machine: stops it, removes its boot entries and TCP services,
// moves its configuration files to their backup names. 1 when every counted step succeeded
// (message 49; in a check run a status that it would be deleted), else 0 (message 50, or 5
// when the installation is missing). When migrating, the boot and service releases are not
// counted. A service name or boot registry already gone makes the result 0 as a failed
// release does; in the outcome it is noted as "gone" (as is a file already moved aside), not
// as a failure, so that an interrupted deletion can be finished.
VX_API int ICDeleteSingleInst(MSInfo& info, int migrating);
// Carries the instances of the installed earlier release into this one. 1, or 0 at the first
// instance that cannot be created or whose web server configuration fails.
extern "C" VX_API int ICMigrate();
// ICMigrate, telling the caller what it did: found is the number of instances of the earlier
// release, and each instance creation went through is appended to migrated as it was created
// (its steps, failed or not, are in the outcome), so that the caller can keep the records.
VX_API int VXMigrate(std::vector<MSInfo>& migrated, int& found);
// The path of vxtrade.conf of this release's instance whose database is dbName (letter case
// aside), into out. 1, or 0 when there is none or it does not fit in size.
VX_API int ICGetVXIniFile(const char* dbName, char* out, int size);

// How an installed instance differs from what its record produces.
struct VXDrift {
    std::vector<SysFileChange> files;       // files whose content, mode, owner or existence differ
    std::vector<SysServiceChange> services; // services entries missing or left over
    bool bootRegistered = false;            // the boot registry has an entry for it
    bool bootInSync = false;                // registered, with the start line its record gives
    bool InSync() const { return files.empty() && services.empty() && bootInSync; }
};
// Compares the installed instance with what a check run of its creation and of the web server
// configuration for list (the data file's instances, info among them) would write, and fills
// out with the differences a user would see: contents, modes, and owners (the owners the run
// would give, the last one given to a file counting, compared with the files as they stand; a
// file it would make is a "created" one, not an owner's change). Backups the run would
// refresh, blank lines, and the registry and boot scripts a repeated registration rewrites
// anyway (judged by bootInSync instead), a running instance's run-time files, and what only
// the instances recorded after it touch when created again after it (the files they share hold
// the last creation's) are not differences. Nothing on the machine changes; a change noting
// that was on is begun afresh in its mode. 1, or 0 with the reason set when the check run
// cannot be made or the creation fails.
VX_API int VXVerifyInstance(MSInfo& info, MSList& list, VXDrift& out);

// The first port of the second block: from 40000 up in steps of 10.
#define VX_SECOND_BLOCK_START 40000

#endif
