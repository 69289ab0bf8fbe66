// The collector of operation outcomes: one chain of scopes, innermost first, and the instance
// the steps belong to. The library is driven by one thread at a time.
#include "vxconfig/outcome.h"

#include <cstring>

#include "vxconfig/reason.h"

namespace {

VXOutcomeScope* s_scope = nullptr;
std::string s_instance;

bool Matches(const VXStep& step, const char* instance) {
    return !instance || step.instance == instance;
}

} // namespace

struct VXOutcomeAccess {
    static VXOutcome& Into(VXOutcomeScope& scope) { return scope.m_into; }
};

bool VXOutcome::Failed(const char* instance) const {
    return FirstFailure(instance) != nullptr;
}

const VXStep* VXOutcome::FirstFailure(const char* instance) const {
    for (const VXStep& step : steps)
        if (step.failed && Matches(step, instance))
            return &step;
    return nullptr;
}

std::vector<std::string> VXOutcome::Instances() const {
    std::vector<std::string> names;
    for (const VXStep& step : steps) {
        if (step.instance.empty())
            continue;
        bool seen = false;
        for (const std::string& name : names)
            seen = seen || name == step.instance;
        if (!seen)
            names.push_back(step.instance);
    }
    return names;
}

VXOutcomeScope::VXOutcomeScope(VXOutcome& into) : m_into(into), m_outer(s_scope) {
    s_scope = this;
}

VXOutcomeScope::~VXOutcomeScope() {
    s_scope = m_outer;
    if (m_outer && &VXOutcomeAccess::Into(*m_outer) != &m_into) {
        VXOutcome& outer = VXOutcomeAccess::Into(*m_outer);
        outer.steps.insert(outer.steps.end(), m_into.steps.begin(), m_into.steps.end());
        outer.errors.insert(outer.errors.end(), m_into.errors.begin(), m_into.errors.end());
    }
}

VXInstanceScope::VXInstanceScope(const char* name) : m_previous(s_instance) {
    s_instance = name ? name : "";
}

VXInstanceScope::~VXInstanceScope() {
    s_instance = m_previous;
}

namespace {

void Note(const char* action, const char* target, bool failed, const char* reason) {
    if (!s_scope)
        return;
    VXStep step;
    step.instance = s_instance;
    step.action = action ? action : "";
    step.target = target ? target : "";
    step.failed = failed;
    if (failed)
        step.reason = reason ? reason : SysGetLastReason();
    VXOutcomeAccess::Into(*s_scope).steps.push_back(step);
}

} // namespace

void VXStepDone(const char* action, const char* target) {
    Note(action, target, false, nullptr);
}

void VXStepFailed(const char* action, const char* target, const char* reason) {
    Note(action, target, true, reason);
}

void VXNoteError(const char* text) {
    if (s_scope && text)
        VXOutcomeAccess::Into(*s_scope).errors.push_back(text);
}
