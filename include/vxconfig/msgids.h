// Names of the messages of the table (messages.h) that the code reports, so that no call
// site carries a bare number. Each name says what its text says.
#ifndef VXCONFIG_MSGIDS_H
#define VXCONFIG_MSGIDS_H

enum ICMessageId : unsigned int {
    IC_MSG_CANNOT_CREATE_CONFIG = 3,  // "Cannot create configuration file %1."
    IC_MSG_NO_INSTALL_PARAMETERS = 5, // "Cannot find Loomwork Storix installation parameters."
    IC_MSG_DATA_LOADING_ERROR = 8,    // "Configuration data loading error."
    IC_MSG_INSTANCE_DEFINITION = 10,  // "Storix server instance definition error."
    IC_MSG_CANNOT_ACCESS_FILE = 28,   // "Cannot access file %1."
    IC_MSG_NO_DATA_FILE = 52,         // "Cannot find configuration data file."
    IC_MSG_NO_INSTALL_DIRECTORY = 53, // "Cannot find Loomwork Storix installation directory."
    IC_MSG_NAME_NOT_UNIQUE = 68,      // "The Storix server instance name must be unique."
    IC_MSG_HOST_NOT_UNIQUE = 69,      // "The web server host name must be unique."
    IC_MSG_DOCROOT_NOT_UNIQUE = 72,   // "The document root must be unique."
    IC_MSG_PORTS_OVERLAP = 76,        // "The selected port overlaps with the ports of ..."
    IC_MSG_DATABASE_NOT_UNIQUE = 77,  // "The database name must be unique for each instance"
    IC_MSG_PORT_IN_USE = 87,          // "The selected port is already in use by another ..."
    IC_MSG_NO_SUCH_INSTANCE = 88,     // "Could not find instance %1"
    IC_MSG_WRONG_PASSWORD = 106,      // "The specified password is incorrect for the user (%1)"
    IC_MSG_STARTING_SERVERS = 34,     // "Starting Storix servers..."
    IC_MSG_SERVERS_STARTED = 42,      // "Storix servers for instance %1 started successfully."
    IC_MSG_SERVERS_STOPPED = 43,      // "Storix servers for instance %1 stopped successfully."
    IC_MSG_CANNOT_START_SERVERS = 44, // "Cannot start Storix servers for instance %1."
    IC_MSG_CANNOT_STOP_SERVERS = 45,  // "Cannot stop Storix servers for instance %1."
    IC_MSG_SERVERS_ACTIVE = 46,       // "Storix servers for instance %1 are already active."
    IC_MSG_DB_OWNER_NOT_USER = 74,    // "Database owner must be a valid system user."
    IC_MSG_PAYMENT_ACTIVE = 109,      // "Payment server for instance %1 is already active."
    IC_MSG_PAYMENT_STARTED = 110,     // "Payment server for instance %1 started successfully."
    IC_MSG_PAYMENT_NOT_STARTED = 111, // "Cannot start Payment server for instance %1."
    IC_MSG_PAYMENT_INACTIVE = 112,    // "Payment server for instance %1 is already inactive."
    IC_MSG_PAYMENT_STOPPED = 113,     // "Payment server for instance %1 stopped successfully."
    IC_MSG_PAYMENT_NOT_STOPPED = 114, // "Cannot stop Payment server for instance %1"
};

#endif
