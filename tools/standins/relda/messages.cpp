// Message texts. The error codes follow the product's SQL codes so that logs read as usual.
#include "messages.h"

#include <cstdio>
#include <cstring>

namespace relda {

namespace {

struct MessageDef {
    Msg msg;
    const char* code;
    const char* text; // up to two %s
    Outcome outcome;
};

const MessageDef kMessages[] = {
    {kMsgCompleted, "RELDA20000I", "The %s command completed successfully.", kOutcomeOk},
    {kMsgSqlCompleted, "RELDA20000I", "The SQL command completed successfully.", kOutcomeOk},
    {kMsgNoConnection, "SQL1024N", "A database connection does not exist.  SQLSTATE=08003",
     kOutcomeError},
    {kMsgDatabaseNotFound, "SQL1013N",
     "The database alias name or database name \"%s\" could not be found.  SQLSTATE=42705",
     kOutcomeError},
    {kMsgAliasExists, "SQL1005N",
     "The database alias \"%s\" already exists in either the local database directory or "
     "system database directory.",
     kOutcomeError},
    {kMsgNodeExists, "SQL1018N",
     "The node name \"%s\" specified in the CATALOG NODE command already exists.", kOutcomeError},
    {kMsgNodeNotFound, "SQL1097N", "The node name \"%s\" was not found in the node directory.",
     kOutcomeError},
    {kMsgInvalidName, "SQL1001N", "\"%s\" is not a valid name.", kOutcomeError},
    {kMsgSecurity, "SQL30082N",
     "Security processing failed with reason \"24\" (\"USERNAME AND/OR PASSWORD INVALID\").  "
     "SQLSTATE=08001",
     kOutcomeError},
    {kMsgNoInstance, "SQL1390N",
     "The environment variable RELDAINSTANCE is not defined or is invalid.", kOutcomeSystem},
    {kMsgDirectoryEmpty, "SQL1057W", "The system database directory is empty.  SQLSTATE=01057",
     kOutcomeOk},
    {kMsgNodeDirectoryEmpty, "SQL1037W", "The node directory is empty.", kOutcomeOk},
    {kMsgUnexpectedToken, "SQL0104N",
     "An unexpected token \"%s\" was found following \"%s\".  SQLSTATE=42601", kOutcomeError},
    {kMsgBadOption, "RELDA0008E", "The option \"%s\" is not valid.", kOutcomeSystem},
    {kMsgCannotRead, "RELDA0030E", "The file \"%s\" cannot be read.", kOutcomeSystem},
    {kMsgSystemError, "SQL0902N", "A system error occurred: %s.  SQLSTATE=58005", kOutcomeSystem},
    {kMsgStarted, "RELDA1063I", "RELDASTART processing was successful.", kOutcomeOk},
    {kMsgAlreadyStarted, "RELDA1026I", "The database manager is already active.", kOutcomeOk},
    {kMsgStopped, "RELDA1064I", "RELDASTOP processing was successful.", kOutcomeOk},
    {kMsgNotStarted, "RELDA1032I", "No start database manager command was issued.", kOutcomeOk},
    {kMsgNotLocal, "SQL1013N",
     "The database alias name or database name \"%s\" could not be found in the local "
     "database directory.  SQLSTATE=42705",
     kOutcomeError},
    {kMsgBadParameter, "SQL5130N", "The value \"%s\" for the parameter \"%s\" is not valid.",
     kOutcomeError},
    {kMsgNoUser, "SQL1092N", "The user running this command could not be determined.",
     kOutcomeError},
};

// Engine messages by the text SQLite puts first; the last row catches the rest.
struct EngineCode {
    const char* prefix;
    const char* code;
    const char* state;
};

const EngineCode kEngineCodes[] = {
    {"no such table", "SQL0204N", "42704"},
    {"no such column", "SQL0206N", "42703"},
    {"near ", "SQL0104N", "42601"},
    {"incomplete input", "SQL0104N", "42601"},
    {"unrecognized token", "SQL0104N", "42601"},
    {"UNIQUE constraint failed", "SQL0803N", "23505"},
    {"NOT NULL constraint failed", "SQL0407N", "23502"},
    {"table ", "SQL0601N", "42710"},
    {"", "SQL0901N", "58004"},
};

} // namespace

Outcome Say(Msg msg, const std::string& a, const std::string& b) {
    for (const MessageDef& m : kMessages) {
        if (m.msg != msg)
            continue;
        char text[1024];
        snprintf(text, sizeof text, m.text, a.c_str(), b.c_str());
        printf("%s  %s\n", m.code, text);
        return m.outcome;
    }
    printf("SQL0902N  Unknown message %d.\n", static_cast<int>(msg));
    return kOutcomeSystem;
}

Outcome SayEngineError(const char* engineText) {
    for (const EngineCode& e : kEngineCodes) {
        if (strncmp(engineText, e.prefix, strlen(e.prefix)) == 0) {
            printf("%s  %s.  SQLSTATE=%s\n", e.code, engineText, e.state);
            break;
        }
    }
    return kOutcomeError;
}

} // namespace relda
