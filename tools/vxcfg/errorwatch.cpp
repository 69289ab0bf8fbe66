// The error watch of the commands (see errorwatch.h): one at a time.
#include "errorwatch.h"

#include "vxconfig/vxconfig.h"

namespace {

std::vector<std::string> s_errors;
void (*s_printError)(const char*) = nullptr;

void KeepError(const char* text) {
    s_errors.push_back(text ? text : "");
    if (s_printError)
        s_printError(text);
}

} // namespace

ErrorWatch::ErrorWatch() {
    s_errors.clear();
    s_printError = pfnError;
    pfnError = KeepError;
}

ErrorWatch::~ErrorWatch() {
    pfnError = s_printError;
}

size_t ErrorWatch::Count() const {
    return s_errors.size();
}

bool ErrorWatch::Reported(unsigned int id, const char* name) const {
    ICString text;
    ICLoadMessage(text, id, name);
    for (const std::string& error : s_errors) {
        if (error == static_cast<const char*>(text))
            return true;
    }
    return false;
}
