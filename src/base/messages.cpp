#include "vxconfig/messages.h"

#include <cerrno>
#include <cstdio>

#include "vxconfig/outcome.h"

extern "C" {
ICTextCallback pfnError = nullptr;
ICTextCallback pfnInfo = nullptr;
ICTextCallback pfnUpdate = nullptr;
ICProgressCallback pfnProgress = nullptr;
int bCgiApp = 0;
}

static const char s_szInternalError[] = "Internal Error!";

int SysLoadString(unsigned int id, ICString& out) {
    if (id == 0 || id > IC_MAX_MESSAGE)
        return 0;
    out = ic_mscfgStrTbl[id - 1];
    return 1;
}

void BuildMessage(ICString& out, char* text, const char* arg1, const char* arg2) {
    out.Empty();
    if (!text)
        return;
    char* rest = text;
    for (char* mark = rest; *mark; ++mark) {
        if (*mark != '%')
            continue;
        // The caller hands a private copy, so the text is cut at the mark to append the run.
        *mark = 0;
        out += rest;
        char which = mark[1];
        if (which == 0)
            return;
        if (which == '%')
            out += "%";
        else if (which == '1')
            out += arg1;
        else if (which == '2')
            out += arg2;
        rest = mark + 2;
        mark = rest - 1;
    }
    out += rest;
}

int ICLoadMessage(ICString& out, unsigned int id, const char* arg1, const char* arg2) {
    // SysLoadString hands a private copy, which BuildMessage may write into as it scans.
    ICString text;
    if (!SysLoadString(id, text))
        return 0;
    if (text.IsEmpty()) {
        out.Empty();
        return 1;
    }
    BuildMessage(out, const_cast<char*>(static_cast<const char*>(text)), arg1, arg2);
    return 1;
}

static ICString LoadOrInternal(unsigned int id, const char* arg1, const char* arg2) {
    ICString text;
    if (!ICLoadMessage(text, id, arg1, arg2))
        text = s_szInternalError;
    return text;
}

void ICShowError(unsigned int id, const char* arg1, const char* arg2) {
    OutputError(LoadOrInternal(id, arg1, arg2));
}

void ICShowMessage(unsigned int id, const char* arg1, const char* arg2) {
    OutputMessage(LoadOrInternal(id, arg1, arg2));
}

void ICUpdateStatus(unsigned int id, const char* arg1, const char* arg2) {
    if (!pfnUpdate)
        return;
    pfnUpdate(LoadOrInternal(id, arg1, arg2));
}

void OutputError(const char* text) {
    VXNoteError(text);
    if (!bCgiApp)
        SysErrorMessage(text);
    else if (pfnError)
        pfnError(text);
}

void OutputMessage(const char* text) {
    if (!bCgiApp)
        SysInfoMessage(text);
    else if (pfnInfo)
        pfnInfo(text);
}

static void WriteToStderr(unsigned int labelId, const char* text) {
    ICString label;
    SysLoadString(labelId, label);
    fprintf(stderr, "%s: %s\n", static_cast<const char*>(label), text ? text : "");
}

void SysErrorMessage(const char* text) {
    WriteToStderr(55, text);
}

void SysInfoMessage(const char* text) {
    WriteToStderr(56, text);
}

int SysGetLastError() {
    return errno;
}

extern "C" int ICGetLastError(void) {
    return SysGetLastError();
}
