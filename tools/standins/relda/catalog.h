// The instance's node directory and system database directory.
#ifndef RELDA_CATALOG_H
#define RELDA_CATALOG_H

#include <string>
#include <vector>

#include "instance.h"

namespace relda {

struct NodeEntry {
    std::string node; // upper case
    std::string host;
    std::string service; // a service name or a port number
};

struct DatabaseEntry {
    std::string alias; // upper case, unique in the directory
    std::string name;  // the database it stands for, upper case
    std::string node;  // empty for a database of this instance
};

class Catalog {
public:
    explicit Catalog(const Instance& instance);

    // Both directories as stored; missing files are empty directories.
    void Load();
    bool Save() const;

    const NodeEntry* FindNode(const std::string& node) const;
    const DatabaseEntry* FindAlias(const std::string& alias) const;

    std::vector<NodeEntry> nodes;
    std::vector<DatabaseEntry> databases;

    // Where the data of a database is kept: one SQLite file per database name.
    std::string DataFile(const std::string& name) const;

private:
    const Instance& instance_;
};

// Database, alias and node names: letters, digits, @ # $ and _ only, as they become file
// names.
bool IsValidName(const std::string& name);

} // namespace relda

#endif
