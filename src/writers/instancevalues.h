// Values several configuration files of an instance share: the member daemons' service
// prefixes, the Java runtime and class path of the hosting edition's tools, and the JDBC
// driver and URL lines.
#ifndef VX_WRITERS_INSTANCEVALUES_H
#define VX_WRITERS_INSTANCEVALUES_H

#include <cstdio>

#include "vxconfig/msinfo.h"

namespace writers {

// The instance's service prefix (GetVXServicePfx), with "_" + tag after it when a member's
// tag is given.
ICString ServicePrefix(const MSInfo& info, const char* tag = nullptr);
// The Java runtime's bin directory.
ICString JreBin();
// The database's Java driver archive: the Oracle JDBC classes or the Relda Java classes.
ICString DatabaseArchive(const MSInfo& info);
// The class path of the hosting edition's tools: the runtime's classes, the database's Java
// classes and the hosting edition's two archives.
ICString HostingClassPath(const MSInfo& info);
// The four JDBC lines: IC_JDBC_DRIVER, IC_JDBC_NETDRIVER, IC_JDBC_URL, IC_JDBC_NETURL.
void WriteJdbcLines(MSInfo& info, FILE* out);
// The record's template-editor list with the instance's editor directories at its head:
// with caHtmlFirst the catalogue-assistant pages are put at the head first (the editor
// directory then precedes them), else last. The Start package has no such pages.
void AddEditorPaths(MSInfo& info, bool caHtmlFirst);

} // namespace writers

#endif
