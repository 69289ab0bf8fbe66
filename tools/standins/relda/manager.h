// The database manager of an instance: its configuration and whether it is started.
#ifndef RELDA_MANAGER_H
#define RELDA_MANAGER_H

#include <string>

#include "instance.h"
#include "messages.h"

namespace relda {

// Prints the manager configuration, one "label (KEYWORD) = value" line per parameter.
Outcome ShowManagerConfig(const Instance& instance);
// Sets one parameter, named by its keyword in any letter case.
Outcome UpdateManagerConfig(const Instance& instance, const std::string& keyword,
                            const std::string& value);

Outcome StartManager(const Instance& instance);
Outcome StopManager(const Instance& instance);

} // namespace relda

#endif
