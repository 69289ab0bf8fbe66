// The directories are tab-separated text files, one entry a line, rewritten as a whole.
#include "catalog.h"

#include <cctype>
#include <cstring>

namespace relda {

namespace {

const char kNodeFile[] = "sqlnodir/nodedir";
const char kDatabaseFile[] = "sqldbdir/dbdir";

} // namespace

Catalog::Catalog(const Instance& instance) : instance_(instance) {}

void Catalog::Load() {
    nodes.clear();
    databases.clear();
    std::vector<std::string> lines;
    ReadLines(instance_.File(kNodeFile), lines);
    for (const std::string& line : lines) {
        std::vector<std::string> f = SplitFields(line, '\t');
        if (f.size() == 3)
            nodes.push_back({f[0], f[1], f[2]});
    }
    lines.clear();
    ReadLines(instance_.File(kDatabaseFile), lines);
    for (const std::string& line : lines) {
        std::vector<std::string> f = SplitFields(line, '\t');
        if (f.size() == 3)
            databases.push_back({f[0], f[1], f[2]});
    }
}

bool Catalog::Save() const {
    std::vector<std::string> nodeLines, databaseLines;
    for (const NodeEntry& n : nodes)
        nodeLines.push_back(n.node + "\t" + n.host + "\t" + n.service);
    for (const DatabaseEntry& d : databases)
        databaseLines.push_back(d.alias + "\t" + d.name + "\t" + d.node);
    return MakeDir(instance_.File("sqlnodir")) && MakeDir(instance_.File("sqldbdir")) &&
           WriteLines(instance_.File(kNodeFile), nodeLines) &&
           WriteLines(instance_.File(kDatabaseFile), databaseLines);
}

const NodeEntry* Catalog::FindNode(const std::string& node) const {
    for (const NodeEntry& n : nodes)
        if (n.node == node)
            return &n;
    return nullptr;
}

const DatabaseEntry* Catalog::FindAlias(const std::string& alias) const {
    for (const DatabaseEntry& d : databases)
        if (d.alias == alias)
            return &d;
    return nullptr;
}

std::string Catalog::DataFile(const std::string& name) const {
    return instance_.File("databases/") + name + ".db";
}

bool IsValidName(const std::string& name) {
    if (name.empty())
        return false;
    for (char c : name)
        if (!isalnum(static_cast<unsigned char>(c)) && !strchr("@#$_", c))
            return false;
    return true;
}

} // namespace relda
