// The database instance a tool works on and the files it keeps below the instance's sqllib.
#ifndef RELDA_INSTANCE_H
#define RELDA_INSTANCE_H

#include <string>
#include <vector>

namespace relda {

struct Instance {
    std::string name;   // the instance, which is also its owner's user name
    std::string home;   // the owner's home directory
    std::string sqllib; // home/sqllib: every file of the instance lives below it

    std::string File(const char* relative) const { return sqllib + "/" + relative; }
};

// The instance registry: instances.lst beside the running program, else in the product's
// instance directory under $VXCONFIG_ROOT.
std::string RegistryPath();

// The registered instance names in order; false when the registry cannot be read.
bool ReadRegistry(std::vector<std::string>& names);

// The instance of the caller: the one named by RELDAINSTANCE; else the caller's own, when
// $HOME/sqllib exists; else the first registered one (so a database owner's shell without the
// instance's environment still reaches it). False when none of these is usable.
bool FindInstance(Instance& instance);

// Holds the instance's lock for its lifetime, so tools of one instance never interleave
// their updates of the directory files.
class InstanceLock {
public:
    explicit InstanceLock(const Instance& instance);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

private:
    int fd_;
};

// Small file helpers shared by the tools.
bool IsDirectory(const std::string& path);
bool MakeDir(const std::string& path);
bool ReadLines(const std::string& path, std::vector<std::string>& lines);
// Replaces path as a whole (temporary file and rename).
bool WriteLines(const std::string& path, const std::vector<std::string>& lines);
std::vector<std::string> SplitFields(const std::string& line, char separator);
std::string Upper(std::string text);

} // namespace relda

#endif
