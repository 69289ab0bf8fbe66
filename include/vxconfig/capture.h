// Capture of an installation's configuration files into instance records, the global
// defaults instances inherit, and the merge that keeps a user's own lines.
#ifndef VXCONFIG_CAPTURE_H
#define VXCONFIG_CAPTURE_H

#include "vxconfig/keywords.h"
#include "vxconfig/mslist.h"

// Fills or replaces the records of list from the files of an installation of release
// version (1, 2 or 3); instances whose main or web macro file is missing are dropped.
// Always 1.
VX_API int CaptureVXConfig(MSList& list, int version);
VX_API int ICGetVXConfig(MSList& list, int version);

// Adds the instances known to an installation of release to list: for release 2 its
// instance data file, else (and for release 3) the entries of /etc/rc.vndx.
VX_API int SysGetInstanceInfo(MSList& list, int release);

// Normalises the captured texts of info into its typed fields. Always 1.
VX_API int ProcessParm(MSInfo& info, int version);

// Reads the global defaults of dir (and the directories it chains to) on top of the capture
// record and hands the result to out: 1, or 0 when they cannot be read.
VX_API int GetGlobalDefault(MSInfo& out, ICString& dir);
// The same, starting from a fresh capture record.
VX_API int ICGetGlobalDefault(MSInfo& out, ICString& dir);

// Fills the unset fields of info from global. Always 1.
VX_API int ICMergeInstance(MSInfo& info, MSInfo& global);

// 1 when one of the global default files of info's defaults directory names keyword.
VX_API int IsParamGlobal(ICString& keyword, MSInfo& info);
VX_API int ICIsParamGlobal(ICString& keyword, MSInfo& info);

// Appends to the freshly written file at path the user lines of its backup. 1, or 0 when
// the file cannot be opened for appending.
VX_API int MergeIniFiles(ICString& path);
// 1 when no line of the file at path starts with keyword, 0 when one does or the file
// cannot be opened.
VX_API int IsStandardDirective(ICString path, const char* keyword);

// Editors of path lists; paths are compared ignoring case. An element (a pair's value)
// matches a prefix when it starts with it and "/" or the end follows. Each returns the
// number of elements removed or rewritten.
VX_API int RemovePathStrList(ParmList<ICString>& list, const char* prefix);
VX_API int ReplacePathStrList(ParmList<ICString>& list, const char* oldPrefix,
                              const char* newPrefix);
// The same for pairs, by their values.
VX_API int RemovePathNVList(ParmList<NameValue>& list, const char* prefix);
VX_API int ReplacePathNVList(ParmList<NameValue>& list, const char* oldPrefix,
                             const char* newPrefix);
// Removes every element that starts with prefix, with no test of what follows it.
VX_API int DeletePathNVList(ParmList<ICString>& list, const char* prefix, const char* unused);

// The boot registry "/etc/rc.vndx", read by one parser (a later comment line of an instance
// counts). The start command of an instance's controller (also its start line there), with
// conf the controller configuration file: for Relda the database manager is started first.
VX_API ICString SysGetStartCommand(MSInfo& instance, const char* conf);
// The configuration directory registered for the instance in "/etc/rc.vndx" into out (empty
// when the instance has no entry; the last entry counts). 0 only when the file cannot be read.
VX_API int SysGetIniPath(MSInfo& instance, ICString& out);

#endif
