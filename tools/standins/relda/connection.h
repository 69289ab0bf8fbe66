// The connection of a shell. Every relda line of a script is a process of its own, so a
// connection is kept in a file named after the shell that runs the lines (our parent), and the
// later lines of that shell pick it up.
#ifndef RELDA_CONNECTION_H
#define RELDA_CONNECTION_H

#include <string>

#include "instance.h"

namespace relda {

struct Connection {
    std::string alias;  // as connected to
    std::string name;   // the database behind the alias
    std::string authid; // the authorization id, upper case
};

// The connection of the calling shell; false when it has none.
bool LoadConnection(const Instance& instance, Connection& connection);
bool SaveConnection(const Instance& instance, const Connection& connection);
void DropConnection(const Instance& instance);
// Stopping the manager ends every connection of the instance.
void DropAllConnections(const Instance& instance);

} // namespace relda

#endif
