// Where the product and the products it works with are installed, and which are present.
#ifndef VXCONFIG_DISCOVERY_H
#define VXCONFIG_DISCOVERY_H

#include "vxconfig/icstring.h"

VX_API int SysGetInstPath(ICString& out, int release);
VX_API int ICGetInstPath(ICString& out);
VX_API int SysGetHWLPath(ICString& out);
VX_API int ICGetHWLInstPath(ICString& out);
VX_API int SysGetPayvanePath(ICString& out);
VX_API int SysGetMacrolinPath(ICString& out);
VX_API int SysGetOraSid(ICString& out);
VX_API int SysGetJREPath(ICString& out);
VX_API int ICGetJREPath(ICString& out);
VX_API int SysGetMSCfgPathV1(ICString& out);
VX_API int SysGetShortPathName(ICString& path);

VX_API int SysGetDBOrvellPath(ICString& out);
VX_API int ICGetDBOrvellPath(ICString& out);
// mode 0: the text "$ORACLE_HOME"; otherwise the home of the last entry of oratab.
VX_API int SysGetOraPath(ICString& out, int mode);
VX_API int SysGetLoomworkPath(ICString& out);
VX_API int SysIsLoomworkInstalled();
VX_API int SysCheckVersion(int release);
VX_API const char* SysFindPath(const char* text, const char* part);
VX_API int SysGetCfgPathV1(ICString& out);

VX_API int SysIsHWLInstalled();
VX_API int SysIsMacrolinInstalled();
VX_API int SysIsRELDAExtInstalled();
VX_API int SysIsPayvaneInstalled();
VX_API int SysIsGroupLensInstalled();
VX_API int SysIsPersonalizationInstalled();

// Constant answers on this platform.
VX_API int SysGetRELDAService(char* out, int size);
extern "C" VX_API int ICGetRELDAService(char* out, int size);
VX_API int SysRegDataSource(const char* name, const char* database);
VX_API int SysUpdateRegVX(const char* key, const char* value);
extern "C" VX_API int ICUpdateRegVX(const char* key, const char* value);

#endif
