// Instance records of an existing installation, as the capture tests lay them out.
#ifndef VXTEST_CONFFILE_RECORDS_H
#define VXTEST_CONFFILE_RECORDS_H

#include <string>
#include <vector>

#include "vxconfig/vxconfig.h"

// The instance m (SandboxTest::Instance) with every value the configuration files carry.
MSInfo FullRecord(MSInfo m, const char* host, int port);

std::vector<std::string> Strings(const ParmList<ICString>& list);
std::vector<std::string> Pairs(const ParmList<NameValue>& list);
std::vector<std::string> Names(MSList& list);

#endif
