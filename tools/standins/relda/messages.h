// The processor's numbered messages. Codes ending in N or E report errors, W warnings, I
// information; scripts and logs are judged by these first tokens.
#ifndef RELDA_MESSAGES_H
#define RELDA_MESSAGES_H

#include <string>

namespace relda {

enum Msg {
    kMsgCompleted,
    kMsgSqlCompleted,
    kMsgNoConnection,
    kMsgDatabaseNotFound,
    kMsgAliasExists,
    kMsgNodeExists,
    kMsgNodeNotFound,
    kMsgInvalidName,
    kMsgSecurity,
    kMsgNoInstance,
    kMsgDirectoryEmpty,
    kMsgNodeDirectoryEmpty,
    kMsgUnexpectedToken,
    kMsgBadOption,
    kMsgCannotRead,
    kMsgSystemError,
    kMsgStarted,
    kMsgAlreadyStarted,
    kMsgStopped,
    kMsgNotStarted,
    kMsgNotLocal,
    kMsgBadParameter,
    kMsgNoUser,
};

// Exit statuses of the tools: the worst outcome of the run.
enum Outcome { kOutcomeOk = 0, kOutcomeError = 4, kOutcomeSystem = 8 };

// Prints the message (its %s filled with a and b) on standard output and answers its outcome.
Outcome Say(Msg msg, const std::string& a = "", const std::string& b = "");

// An error reported by SQLite, mapped to the product's code and SQL state.
Outcome SayEngineError(const char* engineText);

} // namespace relda

#endif
