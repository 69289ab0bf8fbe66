// The pieces the sandbox builder lays out, and the file helpers they share.
#ifndef VXSANDBOX_SANDBOX_PARTS_H
#define VXSANDBOX_SANDBOX_PARTS_H

#include <string>
#include <sys/types.h>

#include "sandbox.h"

namespace sandbox {

// The root being laid out and the first failure met; every step returns false after a failure.
struct Builder {
    std::string root;
    std::string error;

    // Takes root as the builder's root: one that may serve as a system root
    // (SysCheckRootValue), trailing slashes dropped, and empty unless force. False with the
    // reason in error.
    bool Start(const char* root, bool force, ICString& error);
    // ok, with the reason in error when it is false.
    bool Finish(bool ok, ICString& error) const;

    std::string Path(const char* absolute) const { return root + absolute; }
    bool Fail(const std::string& why);
    // The directory and every missing parent, under the root.
    bool MakeDirs(const char* absolute, mode_t mode = 0755);
    bool WriteText(const char* absolute, const std::string& text, mode_t mode = 0644);
    bool CopyFile(const std::string& source, const char* absolute, mode_t mode);
};

bool LayPackages(Builder& b, const SandboxOptions& options);
// The product files the instance writers read: templates, macros, programs and libraries.
bool LayProductFiles(Builder& b, const SandboxOptions& options);
// The web servers' and the servlet engine's configuration as a user would have it.
bool LayWebServers(Builder& b, const SandboxOptions& options);
bool LayUsers(Builder& b, const SandboxOptions& options);
// The product's database schema scripts and what the database runner copies.
bool LayDatabaseScripts(Builder& b, const SandboxOptions& options);
bool LayServices(Builder& b);
bool LayStandins(Builder& b, const SandboxOptions& options);

} // namespace sandbox

#endif
