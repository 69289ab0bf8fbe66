// What an operation did, what failed and why, as data. An operation of the road (create,
// delete, migrate, webconf, createdb, start/stop/status, pay, register) notes its steps while a
// VXOutcomeScope collects them; the exported functions keep their documented results and
// messages, and a front end takes its exit code, summary and JSON from the outcome instead of
// from printed text.
#ifndef VXCONFIG_OUTCOME_H
#define VXCONFIG_OUTCOME_H

#include <string>
#include <vector>

#include "vxconfig/export.h"

// One step of an operation.
struct VXStep {
    std::string instance; // the instance it belongs to; empty: the run as a whole
    std::string action;   // what was done: "write", "register", "boot", "start", ...
    std::string target;   // the file, service, command or process it was done to
    bool failed = false;
    std::string reason; // why it failed: the file and the system's message, a log's line
};

struct VX_API VXOutcome {
    std::vector<VXStep> steps;
    // The texts of the error messages reported while the outcome collected, in order.
    std::vector<std::string> errors;

    // Whether any step failed (of instance, when one is given).
    bool Failed(const char* instance = nullptr) const;
    // The first failed step (of instance, when one is given); null when none failed.
    const VXStep* FirstFailure(const char* instance = nullptr) const;
    // The instances that have steps, in the order they first appear.
    std::vector<std::string> Instances() const;
};

// Collects the steps noted while it lives into an outcome. Scopes nest: when an inner one
// ends, what it collected is also handed to the one around it.
class VX_API VXOutcomeScope {
public:
    explicit VXOutcomeScope(VXOutcome& into);
    ~VXOutcomeScope();
    VXOutcomeScope(const VXOutcomeScope&) = delete;
    VXOutcomeScope& operator=(const VXOutcomeScope&) = delete;

private:
    VXOutcome& m_into;
    VXOutcomeScope* m_outer;
    friend struct VXOutcomeAccess;
};

// The steps noted while it lives belong to the instance name (restored when it ends).
class VX_API VXInstanceScope {
public:
    explicit VXInstanceScope(const char* name);
    ~VXInstanceScope();
    VXInstanceScope(const VXInstanceScope&) = delete;
    VXInstanceScope& operator=(const VXInstanceScope&) = delete;

private:
    std::string m_previous;
};

// Notes a step that succeeded; nothing when no scope collects.
VX_API void VXStepDone(const char* action, const char* target);
// Notes a step that failed, with its reason (null: the library's last reason,
// SysGetLastReason); nothing when no scope collects.
VX_API void VXStepFailed(const char* action, const char* target, const char* reason = nullptr);
// Notes the text of an error message as it is reported (the message functions call it).
VX_API void VXNoteError(const char* text);

#endif
