// The configuration files of an instance and its file set: the main file, the controller's
// file and its pool, the member daemons' files, the host map of the server control tool, the
// web macro processor's file, the directory tree and the web password file.
//
// Every file is written through the one write path (SysWriteFile): the previous content is
// kept under the backup name (".old" before the first dot) and the file is never missing or
// half written. A file that cannot be written is reported with message 3 and its reason
// (SysGetLastReason) and stays as it was.
#ifndef VXCONFIG_WRITERS_H
#define VXCONFIG_WRITERS_H

#include <sys/types.h>

#include "vxconfig/msinfo.h"
#include "vxconfig/mslist.h"

// The file names an instance's daemons read in its configuration directory.
#define VX_MAIN_CONF "vxtrade.conf"
#define VX_CTRL_CONF "srvrctrl.conf"

// The main configuration file, D/vxtrade.conf (D = info.HtmlPath), with the user's own lines
// of the previous file kept at its end. The one writer that changes the caller's record: it
// puts the instance's template-editor directories at the head of the record's list, gives a
// negative payment time-out its default and recounts the total processes, as it writes (the
// writers after it in a creation see them). 1 written, 0 failed (message 3).
VX_API int CreateMSInit(MSInfo& info, const char* productDir);

// The other writers work on a copy of the caller's record, which they leave as it is.

// The controller's file D/srvrctrl.conf, written from the record merged with its global
// defaults. 1, or 0 when D cannot be made or the file cannot be written (message 3).
VX_API int CreateCtrlInit(const MSInfo& info);
// Adds D/member to the pool line of an existing D/srvrctrl.conf (once). 1 done, 0 when the
// file cannot be read or rewritten.
VX_API int ICAddEntryToPoolID(const MSInfo& info, const char* member);

// The member daemons' files in D: scheduler.conf, pay_back.conf, pay_payvane.conf (which keeps
// the user's own lines), pay_cyber.conf (and the refreshed D/merchant_conf) and vxei_ece.conf
// (args: positions 4 to 8 the queue names). 1 written, 0 failed (message 3).
VX_API int CreateSchedInit(const MSInfo& info, const char* productDir);
VX_API int CreatePaybkInit(const MSInfo& info, const char* productDir);
VX_API int CreatePayetInit(const MSInfo& info, const char* productDir);
VX_API int CreatePaycyInit(const MSInfo& info, const char* productDir);
VX_API int CreateQXInit(const MSInfo& info, const char* productDir, char** args);
// productDir/bin/icsrvctl.properties, one "host=D/vxtrade.conf" line per instance: this
// instance's line replaced (or, with remove, dropped), the others kept. 1, or 0 (message 3).
VX_API int CreatePAProperties(const MSInfo& info, const char* productDir, int remove);
// The fix pack that adds the message-queue bridge to an existing instance: args[2] its port,
// args[4..8] the queue names, args[9] "client" or another kind. 1, or 0 when the product is
// not found (message 5).
extern "C" VX_API int ICCreateFixpackQXInit(MSInfo& info, char** args, int count);

// The web macro processor's file, DocRoot/reldawww.ini, from the processor's template with
// the product's paths, the document root, the database library and the variable scope
// rewritten. 1 written, 0 when the file or the template cannot be opened (message 3).
VX_API int CreateMLInit(const MSInfo& info, const char* productDir);

// The product's files an instance's template editor gets copies of, each list ending in a
// null: the catalogue macros, the product macros and the catalogue assistant's pages.
extern "C" VX_API const char* const catmacros[];
extern "C" VX_API const char* const prodmacros[];
extern "C" VX_API const char* const cahtml[];

// A directory with its owner and mode: a missing absolute path is made component by
// component; an existing one only gets them, unless it is a system directory
// (SysIsSystemDirectory) or belongs to another user than root, this process's user and owner:
// those keep their owner and mode, and a notice says so. A link that the trust rule does not
// follow is no directory. 1 when the directory exists afterwards, else 0.
VX_API int MakeDir(const char* path, const char* owner, unsigned long mode);
// The instance's directory tree, template-editor and catalogue macros, CGI programs and web
// password file. Of the directories that exist already, only those this run made and those in
// the instance's root and configuration trees (not system directories, not another user's)
// get the table's owner and mode; the others are left as they are, with a notice. The
// directories everybody writes into are 01777. 1 done; 0 after message 1, 2 or 24.
VX_API int CreateVXFiles(const MSInfo& info, const ICString& productDir);
// Appends "keyword value" to file unless a line's first token (split at separators) is
// keyword; the previous file is kept as the backup. 1 processed, 0 when it cannot be read or
// rewritten.
VX_API int ICIsParamInFile(const char* keyword, const char* file, const char* separators,
                           const char* value);
// Switches the instance to the personalization variant of its product macros. 1, or 0 when
// the product installation is not found (message 5).
extern "C" VX_API int ICNetPerceptionConfig(const MSInfo& info);

// The password block of httpd.conf and the instances' web password files.
// 1 when the first word of line is "Pass" and the second "/*" (both ignoring case).
VX_API int CheckHomePass(const char* line);
// Writes the product's Pass block (when anyOrvell) in front of the catch-all line, then the
// line itself. Returns 1.
VX_API int WriteVXPassOrvell(const char* line, MSList& list, FILE* out, FILE* in, int anyOrvell);
// dir/vndx.pwd as a copy of the Orvell server's administration password file (serverRoot/
// server/admin/icsclt.pwd), given to owner with mode 0644. 1 done or nothing to do (another
// web server type), 0 when the copy failed.
VX_API int ISCreatePswdFile(const char* dir, eISType type, const char* serverRoot,
                            const char* owner);

// The payment server's start script R/bin/PayVane (with its password file R/bin/.payment) and
// the migration script of its database, from the product's templates. 1, or 0 when a file
// could not be read or written.
VX_API int CreatePayVaneCmd(const MSInfo& info);
VX_API int CreatePayVaneMigCmd(const MSInfo& info);

#endif
