// Where the product and the products it works with are installed, and which are present. Every
// fixed path answered here goes through the system root (sysroot.h); results are 1 found / 0 not,
// and an out argument is left unchanged when nothing is found unless said otherwise.
#ifndef VXCONFIG_DISCOVERY_H
#define VXCONFIG_DISCOVERY_H

#include "vxconfig/icstring.h"

// The product's installation directory of release (1: ".../Vendrix", 2 or 3: the release number
// appended, ".../Vendrix3"). Always 1.
VX_API int SysGetInstPath(ICString& out, int release);
// SysGetInstPath(out, 3).
VX_API int ICGetInstPath(ICString& out);
// The hosting edition's directory (the release 3 installation directory). Always 1.
VX_API int SysGetHWLPath(ICString& out);
VX_API int ICGetHWLInstPath(ICString& out);
// The payment server's installation directory. Always 1.
VX_API int SysGetPayvanePath(ICString& out);
// The web macro processor's document directory. Always 1.
VX_API int SysGetMacrolinPath(ICString& out);
// The text "$ORACLE_SID", expanded later by the shell that reads it. Always 1.
VX_API int SysGetOraSid(ICString& out);
// The Java runtime's directory. Always 1.
VX_API int SysGetJREPath(ICString& out);
VX_API int ICGetJREPath(ICString& out);
// The directory of the first release's main configuration file ("/etc"). Always 1.
VX_API int SysGetMSCfgPathV1(ICString& out);
// Leaves path as it is (short names exist on other platforms only). Always 1.
VX_API int SysGetShortPathName(ICString& path);

// The Relda product's directory, told by the first readable of its package files (6.1 engine or
// client, then 5.0 engine). 0 when none is installed.
VX_API int SysGetDBOrvellPath(ICString& out);
VX_API int ICGetDBOrvellPath(ICString& out);
// mode 0: the text "$ORACLE_HOME"; otherwise the home of the last entry of oratab (0, with
// message 28 naming the file, when oratab cannot be read; 0 when it holds no entry).
VX_API int SysGetOraPath(ICString& out, int mode);
// The application server directory from the installer registry's "LogDir" line of the servlet
// engine, its last two path components removed. 0 only when the registry cannot be read; 1 and
// out unchanged when no line matches.
VX_API int SysGetLoomworkPath(ICString& out);
// 1 when the installer registry exists and one of its lines holds "LogDir".
VX_API int SysIsLoomworkInstalled();
// 1 when release is 1, 2 or 3 and the installed product package (or, missing, the hosting
// edition's) has that major version; 0 otherwise and when neither package file exists.
VX_API int SysCheckVersion(int release);
// The first place in text where part occurs, letter case aside; null when it does not.
VX_API const char* SysFindPath(const char* text, const char* part);
// The first release's HTML directory: the second token of the "WWW_HTML_PATH" line of its main
// configuration file. 0 when the file cannot be read or holds no such line.
VX_API int SysGetCfgPathV1(ICString& out);

// Package tests: 1 when the product's package information file is readable by the caller.
VX_API int SysIsHWLInstalled();
VX_API int SysIsMacrolinInstalled();
VX_API int SysIsRELDAExtInstalled();
// Also moves the payment server's user exit library aside (its name + ".Payvane") when the
// package is installed and the library exists.
VX_API int SysIsPayvaneInstalled();
// Always 1 on this platform.
VX_API int SysIsGroupLensInstalled();
VX_API int SysIsPersonalizationInstalled();

// The database owner of the first database instance, as the database product's instance list
// tool prints it first. 0 when the product or the tool is missing or prints nothing.
VX_API int SysGetUserName(ICString& out);
VX_API int ICGetUserName(ICString& out);

// Constant answers on this platform: no Relda service name (0), data sources and the product
// registry need no registration (1, nothing recorded).
VX_API int SysGetRELDAService(char* out, int size);
extern "C" VX_API int ICGetRELDAService(char* out, int size);
VX_API int SysRegDataSource(const char* name, const char* database);
VX_API int SysUpdateRegVX(const char* key, const char* value);
extern "C" VX_API int ICUpdateRegVX(const char* key, const char* value);

#endif
