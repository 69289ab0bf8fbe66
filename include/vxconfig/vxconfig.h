// vxconfig: configuration library of the Vendrix web commerce server. Including this header
// declares every public class, function and variable of the library.
#ifndef VXCONFIG_VXCONFIG_H
#define VXCONFIG_VXCONFIG_H

#include "vxconfig/bootreg.h"
#include "vxconfig/capture.h"
#include "vxconfig/changes.h"
#include "vxconfig/cipher.h"
#include "vxconfig/database.h"
#include "vxconfig/datafile.h"
#include "vxconfig/discovery.h"
#include "vxconfig/environment.h"
#include "vxconfig/fileio.h"
#include "vxconfig/icstring.h"
#include "vxconfig/keywords.h"
#include "vxconfig/lifecycle.h"
#include "vxconfig/messages.h"
#include "vxconfig/msfields.h"
#include "vxconfig/msgids.h"
#include "vxconfig/msinfo.h"
#include "vxconfig/mslist.h"
#include "vxconfig/outcome.h"
#include "vxconfig/parmlist.h"
#include "vxconfig/portplan.h"
#include "vxconfig/reason.h"
#include "vxconfig/safevalue.h"
#include "vxconfig/services.h"
#include "vxconfig/svcctl.h"
#include "vxconfig/sysroot.h"
#include "vxconfig/sysutil.h"
#include "vxconfig/webconf.h"
#include "vxconfig/webpaths.h"
#include "vxconfig/writers.h"

#endif
